#include "link/frmComData.h"

#include <QEvent>
#include <QTextCursor>

#include "platform/Colors.h"

namespace korvi {

namespace {

// Remembers, per box, that the last append ended in CR, so that an LF opening the next chunk
// completes that line end instead of starting an empty line.
constexpr char kEndsInCr[] = "korviEndsInCr";

}  // namespace

void AppendMonitorText(QPlainTextEdit& box, const QString& text, uint32_t colour) {
    QTextDocument* doc = box.document();
    // characterCount() includes the final paragraph separator.
    if (doc->characterCount() - 1 > kMonitorMaxChars) {
        QTextCursor cut(doc);
        cut.setPosition(0);
        cut.setPosition(static_cast<int>(kMonitorKeepFrom - 1), QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    }

    QString shown;
    shown.reserve(text.size());
    bool afterCr = box.property(kEndsInCr).toBool();
    for (const QChar c : text) {
        if (c == u'\n' && afterCr) {
            afterCr = false;
            continue;
        }
        afterCr = c == u'\r';
        shown += afterCr ? QChar(u'\n') : c;
    }
    box.setProperty(kEndsInCr, afterCr);

    QTextCharFormat format;
    format.setForeground(ToQColor(colour));
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown, format);
    box.setTextCursor(cursor);
    box.ensureCursorVisible();
}

frmComData::frmComData(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmComData"));
    setWindowTitle(QStringLiteral("通信データモニタ"));
    setAttribute(Qt::WA_DeleteOnClose);
    txtComData_ = new QPlainTextEdit(this);
    txtComData_->setObjectName(QStringLiteral("txtComData"));
    txtComData_->setAccessibleName(QStringLiteral("txtComData"));
    txtComData_->setReadOnly(true);
    txtComData_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtComData_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    resize(480, 360);
    FitTextBox();
}

void frmComData::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitTextBox();
}

void frmComData::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Restoring from the task bar may keep the size, so no resize event would follow.
    if (event->type() == QEvent::WindowStateChange) {
        FitTextBox();
    }
}

void frmComData::FitTextBox() {
    if (resizing_ || isMinimized()) {
        return;
    }
    resizing_ = true;
    txtComData_->setGeometry(0, 0, width(), height());
    resizing_ = false;
}

ComDataMonitor::~ComDataMonitor() {
    delete window_.data();
}

void ComDataMonitor::Open() {
    if (!IsOpen()) {
        // A window closed but not yet deleted is replaced by a fresh one.
        if (window_) {
            window_->deleteLater();
        }
        window_ = new frmComData(owner_);
        window_->show();
        return;
    }
    if (window_->isMinimized()) {
        window_->showNormal();
    }
    window_->raise();
    window_->activateWindow();
}

bool ComDataMonitor::IsOpen() const {
    return window_ && window_->isVisible();
}

void ComDataMonitor::AppendIfOpen(const QString& text) {
    if (IsOpen()) {
        AppendMonitorText(*window_->txtComData(), text, kBlack);
    }
}

void ComDataMonitor::Close() {
    if (window_) {
        window_->close();
    }
}

}  // namespace korvi
