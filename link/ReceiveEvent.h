// The serial line's receive event: every notification reads all waiting bytes, cuts them into
// lines for the exchange loop, and shows them in the monitor window when it is open. Line events
// other than sent and received are shown in the monitor as their text.
//
//   ReceiveEvent onComm(line, rxState, RxBuffer, monitor);
//   QObject::connect(&onComm, &ReceiveEvent::received, ...);   // lines may be waiting now
#pragma once

#include <QObject>

#include "link/BufferClass.h"
#include "link/LineProtocol.h"
#include "platform/SerialLine.h"

namespace korvi {

class ComDataMonitor;

class ReceiveEvent : public QObject {
    Q_OBJECT
  public:
    ReceiveEvent(SerialLine& line, ReceiveState& state, BufferClass& RxBuffer,
                 ComDataMonitor& monitor, QObject* parent = nullptr);

    // Reads and handles everything waiting on the line (also used by the drain wait on stop).
    // While lines are held back for want of room in RxBuffer, stores those instead and leaves
    // the line unread.
    void OnComm();

  signals:
    // A chunk was read and split; RxDataReady tells whether lines are waiting.
    void received();

  private:
    void OnLineEvent(int code);

    SerialLine& line_;
    ReceiveState& state_;
    BufferClass& RxBuffer_;
    ComDataMonitor& monitor_;
};

}  // namespace korvi
