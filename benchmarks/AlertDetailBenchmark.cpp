// How long an alert with a detail of about 1 MB takes from the outside to a
// laid-out bubble, for each kind of long text: one letter under a run of
// combining accents, emoji (surrogate pairs), text full of direction
// controls left open, plain words, and letters each under many accents. Two
// roads: the local server's alert feed, and a "lumivo://notify" link.
//
//   alert_detail_benchmark [--benchmark_filter=...]

#include "model/CompanionFeeds.h"
#include "panel/CompanionAlertBubbleView.h"
#include "shell/CompanionLink.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

#include <iterator>

namespace {

constexpr qsizetype megabyte = 1 << 20;

// Repeats piece after head until the text takes about 1 MB as UTF-8.
QString detailOf(const QString& head, const QString& piece)
{
    const qsizetype pieceBytes = piece.toUtf8().size();
    QString text = head;
    text.reserve(head.size() + piece.size() * (megabyte / pieceBytes));
    for (qsizetype bytes = head.toUtf8().size(); bytes + pieceBytes <= megabyte; bytes += pieceBytes)
        text += piece;
    return text;
}

// Each kind of long text by its name: its start and the piece repeated after it.
struct Kind {
    const char* name;
    QString head;
    QString piece;
};
const Kind kinds[] = {
    {"combining run", QStringLiteral("a"), QStringLiteral("\u0301")},
    {"emoji", QString(), QStringLiteral("\U0001F600")},
    // An embedding and an isolate opened and never closed, again and again.
    {"bidi controls", QString(), QStringLiteral("\u202B\u05E9\u05DC\u05D5\u05DD \u2067abc ")},
    {"plain words", QString(), QStringLiteral("lorem ipsum ")},
    {"letters under marks", QString(), u'e' + QString(40, QChar(0x0301))},
};
constexpr int lastKind = int(std::size(kinds)) - 1;

QString detailOfKind(int kind) { return detailOf(kinds[kind].head, kinds[kind].piece); }

void feedToBubble(benchmark::State& state)
{
    state.SetLabel(kinds[state.range(0)].name);
    const QJsonObject alert{{QStringLiteral("id"), 2},
                            {QStringLiteral("type"), QStringLiteral("call")},
                            {QStringLiteral("detail"), detailOfKind(int(state.range(0)))}};
    const QByteArray body =
        QJsonDocument(QJsonObject{{QStringLiteral("notifications"), QJsonArray{alert}}}).toJson(QJsonDocument::Compact);
    for (auto _ : state) {
        const std::optional<CompanionAlertFeed> feed = CompanionAlertFeed::decode(body);
        const CompanionAlert shown(CompanionAlertSource::call, feed->notifications.front().detail);
        auto layout = CompanionAlertBubbleView::layoutFor(shown);
        benchmark::DoNotOptimize(layout);
    }
}
BENCHMARK(feedToBubble)->DenseRange(0, lastKind)->Unit(benchmark::kMillisecond);

void linkToBubble(benchmark::State& state)
{
    state.SetLabel(kinds[state.range(0)].name);
    const QUrl link(QString::fromLatin1("lumivo://notify?type=call&detail="
                                        + QUrl::toPercentEncoding(detailOfKind(int(state.range(0))))));
    for (auto _ : state) {
        const auto request = std::get<CompanionLink::RaiseAlert>(*CompanionLink::parse(link));
        auto layout = CompanionAlertBubbleView::layoutFor(CompanionAlert(request.source, request.detail));
        benchmark::DoNotOptimize(layout);
    }
}
BENCHMARK(linkToBubble)->DenseRange(0, lastKind)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
