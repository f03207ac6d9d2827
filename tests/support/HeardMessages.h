#pragma once

#include <QStringList>
#include <QtGlobal>

// Qt's messages while it lives, each as "category: text".
class HeardMessages {
public:
    HeardMessages()
    {
        s_messages.clear();
        s_previous = qInstallMessageHandler(&HeardMessages::hear);
    }
    ~HeardMessages() { qInstallMessageHandler(s_previous); }
    const QStringList& messages() const { return s_messages; }

private:
    static void hear(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        s_messages.append(QString::fromUtf8(context.category ? context.category : "default") + QStringLiteral(": ")
                          + message);
    }
    static inline QtMessageHandler s_previous = nullptr;
    static inline QStringList s_messages;
};
