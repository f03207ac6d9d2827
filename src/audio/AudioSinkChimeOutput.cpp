#include "audio/AudioSinkChimeOutput.h"

#include "model/CompanionChime.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace {

QAudioFormat chimeFormat()
{
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(CompanionChime::sampleRate));
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

} // namespace

AudioSinkChimeOutput::AudioSinkChimeOutput() = default;

AudioSinkChimeOutput::~AudioSinkChimeOutput() { release(); }

bool AudioSinkChimeOutput::isRunning() const { return m_sink != nullptr; }

bool AudioSinkChimeOutput::start()
{
    if (m_sink)
        return true;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    m_sink = std::make_unique<QAudioSink>(device, chimeFormat());
    if (!startSink()) {
        release();
        return false;
    }
    return true;
}

void AudioSinkChimeOutput::playFromStart(std::span<const float> samples)
{
    if (!m_sink)
        return;
    m_sink->stop();
    m_buffer.close();
    m_data = QByteArray(reinterpret_cast<const char*>(samples.data()), static_cast<qsizetype>(samples.size_bytes()));
    // A device lost since start() leaves the output stopped, so the next
    // play tries to start it afresh rather than playing into nothing.
    if (!startSink())
        release();
}

void AudioSinkChimeOutput::pause() { release(); }

bool AudioSinkChimeOutput::startSink()
{
    m_buffer.setBuffer(&m_data);
    m_buffer.open(QIODevice::ReadOnly);
    m_sink->start(&m_buffer);
    return m_sink->error() != QAudio::OpenError;
}

void AudioSinkChimeOutput::release()
{
    if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
    m_buffer.close();
}
