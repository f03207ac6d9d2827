#pragma once

#include <QJsonObject>
#include <QString>
#include <QUrl>

// The briefing handed to the owner's outside assistant: a plain-text packet
// built from the local server's live snapshot of the business, sent as the
// single query item "q" of the assistant's page.
namespace ChatContextPacket {

// What the packet asks the assistant.
QString standardRequest();

// The packet of a snapshot object. Pure: every figure is copied as the
// snapshot writes it (text verbatim, numbers in their plain decimal form,
// Booleans as 1 or 0), and anything absent or of another kind reads
// "Missing".
QString fromSnapshot(const QJsonObject& snapshot, const QString& request);

// The packet used when no snapshot could be had.
QString fallback(const QString& request);

// The packet for an answer of the snapshot route: fromSnapshot() when the
// body's top level is a JSON object, fallback() otherwise.
QString fromSnapshotBody(const QByteArray& body, const QString& request);

// The assistant's page with the packet as its only query item, "q".
QUrl assistantPage(const QString& packet);

} // namespace ChatContextPacket
