#include "platform/QtSoundOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <utility>

#include "platform/WavFile.h"

namespace korvi {

namespace {

const QString kNoDevice = QStringLiteral("音声出力装置が見つかりません。音は鳴りません。");

constexpr int kToneRate = 22050;
constexpr double kToneAmplitude = 0.3 * 32767.0;
// Short ramps at both ends keep the tone from clicking.
constexpr int kRampSamples = kToneRate / 500;
constexpr int kLongestToneMs = 10000;

}  // namespace

struct QtSoundOutput::Impl {
    std::function<void(const QString&)> noticeHandler;
    bool noticed = false;

    // The device is looked up at the first sound and again whenever the list of outputs changes.
    QMediaDevices devices;
    bool deviceChecked = false;
    bool silent = false;
    QAudioDevice device;

    // Tones: one sink pulls the synthesised samples from a buffer.
    QAudioFormat format;
    QByteArray samples;
    QBuffer toneSource;
    std::unique_ptr<QAudioSink> sink;
    QElapsedTimer sinceTone;
    int toneMs = 0;

    // Files: each is judged once, and again only when it changes on disk.
    struct Verdict {
        qint64 size = -1;
        QDateTime modified;
        bool playable = false;
    };
    std::map<QString, Verdict> verdicts;

    // Files: one sound effect per file, kept loaded; `current` is the one heard last.
    std::map<QString, std::unique_ptr<QSoundEffect>> effects;
    QSoundEffect* current = nullptr;
    QSoundEffect* pending = nullptr;  // asked to play while still loading

    Impl() {
        QObject::connect(&devices, &QMediaDevices::audioOutputsChanged, &devices, [this] {
            StopAll();
            sink.reset();
            effects.clear();
            deviceChecked = false;
            silent = false;
        });
    }

    ~Impl() { StopAll(); }

    void StopAll() {
        if (sink) {
            sink->stop();
        }
        toneSource.close();
        if (current) {
            current->stop();
        }
        current = nullptr;
        pending = nullptr;
    }

    void Notice() {
        silent = true;
        if (noticed) {
            return;
        }
        noticed = true;
        if (noticeHandler) {
            noticeHandler(kNoDevice);
        } else {
            qWarning("%s", qUtf8Printable(kNoDevice));
        }
    }

    bool HasDevice() {
        if (!deviceChecked) {
            deviceChecked = true;
            device = QMediaDevices::defaultAudioOutput();
            if (device.isNull()) {
                Notice();
            }
        }
        return !silent;
    }

    bool EnsureSink() {
        if (sink) {
            return true;
        }
        format.setSampleRate(kToneRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format)) {
            const QAudioFormat preferred = device.preferredFormat();
            format.setSampleRate(preferred.sampleRate());
            format.setChannelCount(preferred.channelCount());
            if (!device.isFormatSupported(format)) {
                Notice();
                return false;
            }
        }
        sink = std::make_unique<QAudioSink>(device, format);
        return true;
    }

    void Synthesise(int frequencyHz, int durationMs) {
        const int rate = format.sampleRate();
        const int channels = format.channelCount();
        const int frames = std::max(1, static_cast<int>(int64_t{rate} * durationMs / 1000));
        const double nyquist = rate / 2.0 - 1.0;
        const double step = 2.0 * std::numbers::pi * std::min<double>(frequencyHz, nyquist) / rate;
        const int ramp = std::min(kRampSamples * rate / kToneRate, frames / 2);
        samples.resize(qsizetype{frames} * channels * 2);
        char* out = samples.data();
        for (int i = 0; i < frames; ++i) {
            double gain = 1.0;
            if (ramp > 0 && i < ramp) {
                gain = static_cast<double>(i) / ramp;
            } else if (ramp > 0 && i >= frames - ramp) {
                gain = static_cast<double>(frames - 1 - i) / ramp;
            }
            const auto value =
                static_cast<int16_t>(std::lround(kToneAmplitude * gain * std::sin(step * i)));
            for (int c = 0; c < channels; ++c) {
                std::memcpy(out, &value, sizeof value);  // samples in native byte order
                out += sizeof value;
            }
        }
    }

    void Tone(int frequencyHz, int durationMs) {
        if (frequencyHz <= 0 || durationMs <= 0 || !HasDevice()) {
            return;
        }
        if (sinceTone.isValid() && sinceTone.elapsed() < toneMs) {
            return;  // the tone still sounding stands for this one
        }
        if (!EnsureSink()) {
            return;
        }
        durationMs = std::min(durationMs, kLongestToneMs);
        sink->stop();
        toneSource.close();
        Synthesise(frequencyHz, durationMs);
        toneSource.setBuffer(&samples);
        toneSource.open(QIODevice::ReadOnly);
        sink->start(&toneSource);
        if (sink->state() == QAudio::StoppedState && sink->error() != QAudio::NoError) {
            sink.reset();
            toneSource.close();
            Notice();
            return;
        }
        sinceTone.start();
        toneMs = durationMs;
    }

    QSoundEffect* Effect(const QString& path) {
        auto& slot = effects[path];
        if (!slot) {
            slot = std::make_unique<QSoundEffect>(device);
            QSoundEffect* effect = slot.get();
            QObject::connect(effect, &QSoundEffect::statusChanged, effect, [this, effect] {
                if (pending != effect) {
                    return;
                }
                if (effect->status() == QSoundEffect::Ready) {
                    pending = nullptr;
                    effect->play();
                } else if (effect->status() == QSoundEffect::Error) {
                    pending = nullptr;
                }
            });
            effect->setSource(QUrl::fromLocalFile(path));
        }
        return slot.get();
    }

    bool Playable(const QFileInfo& info) {
        if (!info.isFile()) {
            return false;
        }
        Verdict& verdict = verdicts[info.absoluteFilePath()];
        if (verdict.size != info.size() || verdict.modified != info.lastModified()) {
            verdict = {info.size(), info.lastModified(),
                       WavFileProblem(info.absoluteFilePath()).isEmpty()};
        }
        return verdict.playable;
    }

    bool PlayFile(const QString& path) {
        const QFileInfo info(path);
        const QString absolute = info.absoluteFilePath();
        if (!Playable(info)) {
            return false;
        }
        if (!HasDevice()) {
            return true;
        }
        QSoundEffect* effect = Effect(absolute);
        if (current) {
            current->stop();
        }
        current = effect;
        pending = nullptr;
        if (effect->status() == QSoundEffect::Ready) {
            effect->play();
        } else if (effect->status() != QSoundEffect::Error) {
            pending = effect;
        }
        return true;
    }
};

QtSoundOutput::QtSoundOutput() : d_(std::make_unique<Impl>()) {}

QtSoundOutput::~QtSoundOutput() = default;

void QtSoundOutput::tone(int frequencyHz, int durationMs) {
    d_->Tone(frequencyHz, durationMs);
}

bool QtSoundOutput::playFile(const QString& path) {
    return d_->PlayFile(path);
}

void QtSoundOutput::setNoticeHandler(std::function<void(const QString&)> handler) {
    d_->noticeHandler = std::move(handler);
}

bool QtSoundOutput::isSilent() const {
    return d_->silent;
}

}  // namespace korvi
