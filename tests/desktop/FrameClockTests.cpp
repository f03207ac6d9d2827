// The built companion's animation frames, counted by the X server as they
// reach the panel's window: they stop while nobody can see the panel.
#include "RunningCompanion.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <poll.h>

namespace {

// Counts the pictures drawn into a window over a while: the server reports
// each rectangle drawn, and a picture's rectangles share one server time.
class FrameCounter {
public:
    explicit FrameCounter(xcb_window_t window) : m_connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present)
            return;
        m_event = damage->first_event + XCB_DAMAGE_NOTIFY;
        std::free(xcb_damage_query_version_reply(m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr));
        xcb_damage_create(m_connection, xcb_generate_id(m_connection), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(m_connection);
    }
    ~FrameCounter() { xcb_disconnect(m_connection); }

    bool usable() const { return m_event != 0; }

    int framesWithin(int milliseconds)
    {
        drain(nullptr);
        int frames = 0;
        QElapsedTimer watched;
        watched.start();
        while (watched.elapsed() < milliseconds) {
            pollfd socket{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&socket, 1, static_cast<int>(std::max<qint64>(1, milliseconds - watched.elapsed())));
            drain(&frames);
        }
        return frames;
    }

private:
    void drain(int* frames)
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == m_event) {
                const auto time = reinterpret_cast<const xcb_damage_notify_event_t*>(event)->timestamp;
                if (frames && time != m_lastTime)
                    ++*frames;
                m_lastTime = time;
            }
            std::free(event);
        }
    }

    xcb_connection_t* m_connection;
    uint8_t m_event = 0;
    xcb_timestamp_t m_lastTime = 0;
};

void screenSaver(const char* action)
{
    runTool(QStringLiteral("xset"), {QStringLiteral("s"), QString::fromLatin1(action)});
}

TEST(FrameClock, StopsWhileTheScreenSaverRunsAndResumesAfter)
{
    CompanionSession session;
    RunningCompanion companion(session);
    const std::optional<ShownWindow> panel = companion.waitForPanel();
    ASSERT_TRUE(panel);
    FrameCounter counter(static_cast<xcb_window_t>(panel->id));
    ASSERT_TRUE(counter.usable());

    // The mascot turns without end (how fast is the benchmark's business).
    EXPECT_GE(counter.framesWithin(1000), 3);

    screenSaver("activate");
    // A picture already on its way may still land; then none come.
    EXPECT_TRUE(waitUntil([&] { return counter.framesWithin(500) == 0; }, 5000));
    EXPECT_EQ(counter.framesWithin(1500), 0);

    screenSaver("reset");
    EXPECT_TRUE(waitUntil([&] { return counter.framesWithin(500) >= 2; }, 5000));
}

} // namespace
