#include "link/ReceiveEvent.h"

#include "link/CommEventText.h"
#include "link/frmComData.h"

namespace korvi {

ReceiveEvent::ReceiveEvent(SerialLine& line, ReceiveState& state, BufferClass& RxBuffer,
                           ComDataMonitor& monitor, QObject* parent)
    : QObject(parent), line_(line), state_(state), RxBuffer_(RxBuffer), monitor_(monitor) {
    connect(&line_, &SerialLine::readyRead, this, &ReceiveEvent::OnComm);
    connect(&line_, &SerialLine::lineEvent, this, &ReceiveEvent::OnLineEvent);
}

void ReceiveEvent::OnComm() {
    if (state_.Held) {
        // Lines from the last read still wait for room; the line is read once they are stored,
        // so that they keep their order and the sender waits meanwhile.
        SplitReceivedLines({}, state_, RxBuffer_);
        if (state_.Held) {
            emit received();
            return;
        }
    }
    const QByteArray bytes = line_.readAll();
    if (bytes.isEmpty()) {
        return;
    }
    SplitReceivedLines(bytes, state_, RxBuffer_);
    if (monitor_.IsOpen()) {
        monitor_.AppendIfOpen(QString::fromLatin1(bytes));
    }
    emit received();
}

void ReceiveEvent::OnLineEvent(int code) {
    // 1 (sent) and 2 (received) are ordinary traffic, not events worth a line of their own.
    if (code == 1 || code == 2) {
        return;
    }
    monitor_.AppendIfOpen(CommEventText(code) + QStringLiteral("\r\n"));
}

}  // namespace korvi
