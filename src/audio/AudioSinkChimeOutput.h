#pragma once

#include "model/CompanionNotificationSound.h"

#include <QBuffer>
#include <QByteArray>

#include <memory>

class QAudioSink;

// Plays through a QAudioSink on the default output device, pulling the
// samples from a buffer.
class AudioSinkChimeOutput final : public ChimeOutput {
public:
    AudioSinkChimeOutput();
    ~AudioSinkChimeOutput() override;

    AudioSinkChimeOutput(const AudioSinkChimeOutput&) = delete;
    AudioSinkChimeOutput& operator=(const AudioSinkChimeOutput&) = delete;

    bool isRunning() const override;
    bool start() override;
    void playFromStart(std::span<const float> samples) override;
    void pause() override;

private:
    // Starts the sink on the buffer from its beginning; false when the sink
    // could not open its device.
    bool startSink();
    void release();

    QByteArray m_data;
    QBuffer m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
};
