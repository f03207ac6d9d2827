// How long decoding one agent-usage document takes, the feed the companion
// polls most. The document is the size the server sends: both agents, six
// models each, limits and a plan of three windows.

#include "model/CompanionAgentUsage.h"

#include <QJsonDocument>

#include <benchmark/benchmark.h>

namespace {

QByteArray agentJson(const char* planType, qint64 scale)
{
    QByteArray models;
    const char* labels[] = {"opus-4", "sonnet-4", "haiku-4", "opus-3", "sonnet-3.7", "embedding"};
    for (int i = 0; i < 6; ++i) {
        models += (i ? ", " : "") + QByteArray(R"({"label": ")") + labels[i] + R"(", "tokens": )"
            + QByteArray::number(scale * (i + 1) * 7919) + R"(, "cachedTokens": )" + QByteArray::number(scale * i)
            + "}";
    }
    return QByteArray(R"({
    "today": {"tokens": )")
        + QByteArray::number(scale * 182340) + R"(, "sessions": 14},
    "week": {"tokens": )"
        + QByteArray::number(scale * 9'811'202'447) + R"(, "sessions": 96},
    "activeNow": true,
    "models": [)"
        + models + R"(],
    "limits": {"usedPercent": 63.25, "windowMinutes": 300, "resetsAt": 1714650000.5, "planType": ")"
        + planType + R"("},
    "plan": {"windows": [
      {"label": "5 hours", "usedPercent": 63.25, "resetsAtIso": "2024-05-02T12:20:00Z"},
      {"label": "week", "usedPercent": 41, "resetsAtIso": "2024-05-06T00:00:00Z"},
      {"label": "week, Opus only", "usedPercent": 12.5, "resetsAtIso": null}
    ]}
  })";
}

QByteArray usageDocument()
{
    return QByteArray(R"({"generatedAt": "2024-05-02T09:14:00Z", "claude": )") + agentJson("max", 3) + R"(, "codex": )"
        + agentJson("pro", 1) + "}";
}

void decodeAgentUsage(benchmark::State& state)
{
    const QByteArray body = usageDocument();
    if (!CompanionAgentUsage::decode(body)) {
        state.SkipWithError("the sample document does not decode");
        return;
    }
    for (auto _ : state) {
        auto usage = CompanionAgentUsage::decode(body);
        benchmark::DoNotOptimize(usage);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * body.size());
}
BENCHMARK(decodeAgentUsage);

// Qt's parsing alone, to tell what the strict reading adds to it.
void parseAgentUsageJsonOnly(benchmark::State& state)
{
    const QByteArray body = usageDocument();
    for (auto _ : state) {
        auto document = QJsonDocument::fromJson(body);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * body.size());
}
BENCHMARK(parseAgentUsageJsonOnly);

} // namespace
