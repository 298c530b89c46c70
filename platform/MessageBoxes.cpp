#include "platform/MessageBoxes.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace korvi {

namespace {

// "すべてのﾌｧｲﾙ (*.*)|*.*|" becomes Qt's "すべてのﾌｧｲﾙ (*.*)" with the pattern taken from the
// description's own parentheses.
QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        entries << QStringLiteral("%1 (%2)").arg(parts[i].section(QLatin1Char('('), 0, 0).trimmed(),
                                                 parts[i + 1]);
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace

void QtMessageBoxes::show(const QString& text, const QString& title, BoxIcon icon) {
    QMessageBox box(parent_);
    box.setWindowTitle(title);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
        case BoxIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case BoxIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case BoxIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    box.exec();
}

std::optional<QString> QtFileDialogs::saveFile(const FileDialogOptions& options) {
    const QString path = QFileDialog::getSaveFileName(parent_, QString(), options.initialFolder,
                                                      QtFilter(options.filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

std::optional<QString> QtFileDialogs::openFile(const FileDialogOptions& options) {
    const QString path = QFileDialog::getOpenFileName(parent_, QString(), options.initialFolder,
                                                      QtFilter(options.filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

}  // namespace korvi
