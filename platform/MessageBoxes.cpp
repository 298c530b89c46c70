#include "platform/MessageBoxes.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStringList>
#include <QTranslator>

namespace korvi {

namespace {

// "すべてのﾌｧｲﾙ (*.*)|*.*|" becomes Qt's "すべてのﾌｧｲﾙ (*.*) (*)": the dialog takes the patterns
// from the last parentheses and, with its filter details hidden, shows the text before them.
QStringList QtFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        entries << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(u' '));
    }
    return entries;
}

std::optional<QString> Run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty() ||
        dialog.selectedFiles().front().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
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

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileDialogOptions& options,
                                            bool save) {
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), options.initialFolder);
    // Qt's own dialog on every desktop, so that it speaks the toolkit's Japanese.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = QtFilters(options.filter);
    if (!filters.isEmpty()) {
        dialog->setNameFilters(filters);
    }
    return dialog;
}

bool LoadToolkitTranslations() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

std::optional<QString> QtFileDialogs::saveFile(const FileDialogOptions& options) {
    return Run(*MakeFileDialog(parent_, options, true));
}

std::optional<QString> QtFileDialogs::openFile(const FileDialogOptions& options) {
    return Run(*MakeFileDialog(parent_, options, false));
}

}  // namespace korvi
