#pragma once

#include <QByteArray>

#include <optional>

// What came back for one request. `status` is present only when a whole
// HTTP answer arrived; a refused connection, a time-out, a cut-off body or a
// cancelled request leave it empty.
struct HttpAnswer {
    std::optional<int> status;
    QByteArray body;

    bool isOK() const { return status == 200; }
};
