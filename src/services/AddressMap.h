#pragma once

#include "net/Redirects.h"

#include <QList>
#include <QUrl>

#include <utility>

// Where requests for the companion's fixed addresses really go. The program
// asks for the addresses as written (the local server on 127.0.0.1:4173, the
// weather service); a map made for tests or a desktop run sends one origin to
// another, keeping path, query and fragment. An empty map changes nothing.
class AddressMap {
public:
    // Requests to `from`'s scheme, host and port go to `to`'s instead.
    void redirect(const QUrl& from, const QUrl& to);

    QUrl resolve(const QUrl& address) const;

private:
    QList<std::pair<QUrl, QUrl>> m_redirects;
};
