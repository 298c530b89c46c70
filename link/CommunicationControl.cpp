#include "link/CommunicationControl.h"

#include <QFileInfo>
#include <chrono>

#include "link/ReceiveEvent.h"
#include "link/frmComData.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/QtSerialLine.h"

namespace korvi {

namespace {

constexpr int kReplyTimeoutMs = 300;
constexpr int kRetries = 10;
constexpr int kDrainMs = 500;

template <typename F, typename... Args>
void Call(const F& hook, Args&&... args) {
    if (hook) {
        hook(std::forward<Args>(args)...);
    }
}

// The port number of "COM3" is 3: the leading decimal number after the first three characters.
// A name without a usable number cannot be opened.
int PortNumber(const QString& portName) {
    const QString rest = portName.trimmed().mid(3).trimmed();
    int value = 0;
    int digits = 0;
    for (QChar c : rest) {
        if (!c.isDigit() || digits >= 5) {
            break;
        }
        value = value * 10 + c.digitValue();
        ++digits;
    }
    return digits == 0 ? 0 : value;
}

}  // namespace

CommunicationControl::CommunicationControl(SerialLine& line, ReceiveEvent& onComm,
                                           BufferClass& rxBuffer, ReceiveState& receive,
                                           ComDataMonitor& monitor, const Clock& clock,
                                           MessageBoxes& boxes, Hooks hooks, QObject* parent)
    : QObject(parent),
      line_(line),
      onComm_(onComm),
      rxBuffer_(rxBuffer),
      receive_(receive),
      monitor_(monitor),
      clock_(clock),
      boxes_(boxes),
      hooks_(std::move(hooks)) {
    step_.setSingleShot(true);
    step_.setInterval(0);
    replyTimeout_.setSingleShot(true);
    drainPoll_.setInterval(5);
    connect(&step_, &QTimer::timeout, this, &CommunicationControl::Step);
    connect(&replyTimeout_, &QTimer::timeout, this, &CommunicationControl::HandshakeStep);
    connect(&drainPoll_, &QTimer::timeout, this, [this] {
        if (line_.bytesWaiting() < 1 || (stopwatch_ && stopwatch_->IsTimeout())) {
            FinishStop();
        }
    });
    look_.setInterval(kLookMs);
    connect(&look_, &QTimer::timeout, this, &CommunicationControl::LookForDevice);
    connect(&onComm, &ReceiveEvent::received, this, &CommunicationControl::Received);
    connect(&line_, &SerialLine::lineLost, this, &CommunicationControl::LineLost);
}

CommunicationControl::~CommunicationControl() = default;

void CommunicationControl::cmdComm_Click() {
    if (state_ == State::Draining) {
        return;
    }
    if (isCommunicating_) {
        Stop();
    } else {
        Start();
    }
}

void CommunicationControl::Start() {
    if (hooks_.prepareStart && !hooks_.prepareStart()) {
        return;
    }
    const SerialConfig config = hooks_.serialConfig ? hooks_.serialConfig() : SerialConfig{};
    // A device named in the settings needs no port number.
    const bool named = !config.device.trimmed().isEmpty() || PortNumber(config.portName) >= 1;
    isCommunicating_ = named && line_.open(config);
    if (!isCommunicating_) {
        // The second line says why (no such device, busy, no permission); so does the status bar.
        openFailure_ = named ? line_.lastError()
                             : QStringLiteral("ポート名 %1 にポート番号がありません。")
                                   .arg(config.portName.trimmed());
        boxes_.show(
            QStringLiteral("ポートのオープンに失敗しました") +
                (openFailure_.isEmpty() ? QString() : QStringLiteral("\r\n") + openFailure_),
            QStringLiteral("ﾎﾟｰﾄ ｵｰﾌﾟﾝ ｴﾗｰ"), BoxIcon::Critical);
        Call(hooks_.showCommunicating, false);
        return;
    }
    openFailure_.clear();
    config_ = config;
    resuming_ = false;
    Call(hooks_.showCommunicating, true);
    Call(hooks_.started);
    BeginHandshake();
}

void CommunicationControl::BeginHandshake() {
    receive_.HoldWhenFull = true;
    retryCount_ = kRetries;
    stopwatch_ = std::make_unique<TimerClass>(clock_);
    stopwatch_->SetTimeoutTime(kReplyTimeoutMs);
    stopwatch_->StartTimer();
    state_ = State::Handshaking;
    SendCommand(QStringLiteral("r"));
    replyTimeout_.start(kReplyTimeoutMs + 1);
}

void CommunicationControl::Stop() {
    StopCommunication();
    Call(hooks_.enableList);
    Call(hooks_.stopped);
}

void CommunicationControl::SendCommand(const QString& command) {
    const QByteArray bytes = command.toLatin1() + '\r';
    if (line_.isOpen()) {
        line_.write(bytes);
    }
    monitor_.AppendIfOpen(QString::fromLatin1(bytes));
    receive_.RxDataReady = false;
}

void CommunicationControl::Received() {
    if (state_ == State::Draining) {
        if (line_.bytesWaiting() < 1) {
            FinishStop();
        }
        return;
    }
    if (!receive_.RxDataReady) {
        return;
    }
    if (state_ == State::Streaming && !inSlice_ && !step_.isActive()) {
        // Lines that just arrived are handled in this pass; a pass of the event loop costs more
        // than a reading, so none is spent on only waking the exchange.
        StreamStep();
    } else {
        ScheduleStep();
    }
}

void CommunicationControl::ScheduleStep() {
    if ((state_ == State::Handshaking || state_ == State::Streaming) && !step_.isActive()) {
        step_.start();
    }
}

void CommunicationControl::Step() {
    switch (state_) {
        case State::Handshaking:
            HandshakeStep();
            break;
        case State::Streaming:
            StreamStep();
            break;
        default:
            break;
    }
}

void CommunicationControl::HandshakeStep() {
    if (state_ != State::Handshaking) {
        return;
    }
    QString reply;
    if (receive_.RxDataReady && rxBuffer_.TakeData(reply)) {
        if (receive_.Held) {
            onComm_.OnComm();  // a line taken makes room for one held back
        }
        if (IsReadyStatus(reply)) {
            replyTimeout_.stop();
            skipCount_ = SkipCountFromStatus(reply);
            stopwatch_.reset();
            state_ = State::Streaming;
            SendCommand(QStringLiteral("d"));
            if (!resuming_) {
                Call(hooks_.streamingStarted);
            }
            resuming_ = false;
            if (!rxBuffer_.IsEmpty()) {
                receive_.RxDataReady = true;  // lines that came with the reply go on at once
                ScheduleStep();
            }
            return;
        }
        // A wrong answer asks again at once; the retries are only for silence.
        SendCommand(QStringLiteral("r"));
        stopwatch_->StartTimer();
        replyTimeout_.start(kReplyTimeoutMs + 1);
        return;
    }
    if (stopwatch_->IsTimeout()) {
        HandshakeTimedOut();
        return;
    }
    // Woken early (a timer's granularity): wait for the rest of the reply time.
    const int left = kReplyTimeoutMs + 1 - static_cast<int>(stopwatch_->ElapsedTime());
    replyTimeout_.start(std::max(left, 1));
}

void CommunicationControl::HandshakeTimedOut() {
    --retryCount_;
    if (retryCount_ <= 0 && resuming_) {
        // The device came back but does not answer (yet): it is looked for again.
        line_.close();
        WaitForDevice();
        return;
    }
    if (retryCount_ <= 0) {
        StopCommunication();
        boxes_.show(QStringLiteral("応答がありません"), QStringLiteral("通信エラー"),
                    BoxIcon::Critical);
        Call(hooks_.enableList);
        return;
    }
    SendCommand(QStringLiteral("r"));
    stopwatch_->StartTimer();
    replyTimeout_.start(kReplyTimeoutMs + 1);
}

void CommunicationControl::StreamStep() {
    using Steady = std::chrono::steady_clock;
    const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(kSliceMs);
    int taken = 0;
    QString& text = lineText_;
    const bool nested = inSlice_;  // a modal box inside a reading's handling runs the loop
    inSlice_ = true;
    while (state_ == State::Streaming && receive_.RxDataReady) {
        if (rxBuffer_.TakeData(text)) {
            if (skipCount_ >= 1) {
                --skipCount_;
            } else if (text.startsWith(QLatin1Char('d'))) {
                ++readings_;
                Call(hooks_.reading, DecodeDataLine(text));
            }
        }
        if (rxBuffer_.IsEmpty()) {
            // What the serial line has already received is taken in the same slice, and what
            // the device holds by now: a fast sender has usually refilled it while the last
            // lines were handled, and a pass of the event loop costs more. (Within the line's
            // own notification the line takes it in without notifying again.)
            if (!receive_.Held && line_.bytesWaiting() < 1) {
                line_.takeWaiting();
            }
            if (receive_.Held || line_.bytesWaiting() > 0) {
                onComm_.OnComm();
            }
            if (rxBuffer_.IsEmpty()) {
                receive_.RxDataReady = false;
                break;
            }
        }
        // The clock is read every few lines: a line costs far less than reading it.
        if (++taken % 8 == 0 && Steady::now() >= deadline) {
            break;
        }
    }
    inSlice_ = nested;
    if (state_ == State::Streaming && (receive_.RxDataReady || receive_.Held)) {
        ScheduleStep();
    }
}

void CommunicationControl::StopCommunication() {
    step_.stop();
    replyTimeout_.stop();
    look_.stop();
    resuming_ = false;
    receive_.HoldWhenFull = false;
    if (!isCommunicating_ || state_ == State::Reconnecting) {
        FinishStop();
        return;
    }
    SendCommand(QStringLiteral("s"));
    state_ = State::Draining;
    stopwatch_ = std::make_unique<TimerClass>(clock_);
    stopwatch_->SetTimeoutTime(kDrainMs);
    stopwatch_->StartTimer();
    if (line_.bytesWaiting() < 1) {
        FinishStop();
        return;
    }
    // Input is still waiting: the receive event reads it while the poll watches the time.
    drainPoll_.start();
}

void CommunicationControl::FinishStop() {
    drainPoll_.stop();
    stopwatch_.reset();
    isCommunicating_ = false;
    state_ = State::Idle;
    if (line_.isOpen()) {
        line_.close();
    }
    Call(hooks_.showCommunicating, false);
}

void CommunicationControl::LineLost(const QString& reason) {
    if (!isCommunicating_) {
        return;
    }
    if (reconnect_ && (state_ == State::Streaming || resuming_)) {
        if (state_ == State::Streaming) {
            // What arrived before the loss is handled first: it belongs to the stream.
            while (state_ == State::Streaming && (!rxBuffer_.IsEmpty() || receive_.Held)) {
                receive_.RxDataReady = true;
                StreamStep();
            }
            lostDevice_ = SerialDeviceName(config_);
            lostAt_ = clock_.ticks();
        }
        WaitForDevice();
        return;
    }
    // The line is gone: stop as the stop click would, without sending on the dead line.
    receive_.HoldWhenFull = false;
    step_.stop();
    replyTimeout_.stop();
    FinishStop();
    Call(hooks_.enableList);
    Call(hooks_.stopped);
    QString text = QStringLiteral("コントローラとの接続が切れました。");
    if (!reason.isEmpty()) {
        text += QStringLiteral("\r\n") + reason;
    }
    boxes_.show(text, QStringLiteral("通信エラー"), BoxIcon::Critical);
}

void CommunicationControl::WaitForDevice() {
    step_.stop();
    replyTimeout_.stop();
    stopwatch_.reset();
    // A piece of a line cut by the loss is no line, and nothing queued belongs to the next
    // handshake.
    QString dropped;
    while (rxBuffer_.TakeData(dropped)) {
    }
    receive_.RxPending.clear();
    receive_.Held = false;
    receive_.DiscardingLine = false;
    receive_.RxDataReady = false;
    state_ = State::Reconnecting;
    look_.start();
    Call(hooks_.showCommunicating, true);
}

void CommunicationControl::LookForDevice() {
    if (state_ != State::Reconnecting) {
        look_.stop();
        return;
    }
    const QString device = hooks_.findDevice
                               ? hooks_.findDevice(lostDevice_)
                               : (QFileInfo::exists(lostDevice_) ? lostDevice_ : QString());
    if (device.isEmpty()) {
        Call(hooks_.showCommunicating, true);  // the time away, in the status bar
        return;
    }
    SerialConfig config = config_;
    config.device = device;
#ifdef Q_OS_WIN
    config.portName = device;
#endif
    if (!line_.open(config)) {
        return;  // there, but not ready yet (being set up, or held): looked at again
    }
    look_.stop();
    config_ = config;
    resuming_ = true;
    BeginHandshake();
}

QString CommunicationControl::ReconnectStatus() const {
    if (state_ != State::Reconnecting) {
        return {};
    }
    return QStringLiteral("再接続待ち %1 (%2 秒)")
        .arg(lostDevice_)
        .arg((clock_.ticks() - lostAt_) / 1000);
}

}  // namespace korvi
