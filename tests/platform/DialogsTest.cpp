// The toolkit's dialogs as the user meets them: the layout file dialog with its filter and its
// Japanese texts.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTranslator>

#include "platform/MessageBoxes.h"

namespace korvi {
namespace {

// The layout commands ask for "すべてのﾌｧｲﾙ (*.*)": the dialog shows that text and speaks Japanese
// whatever the locale (the tests run under C.UTF-8).
TEST(LayoutFileDialog, ShowsItsFilterTextAndSpeaksJapanese) {
    ASSERT_TRUE(LoadToolkitTranslations());
    // The other tests of this process read the toolkit's own (English) system texts.
    const auto untranslate = qScopeGuard([] {
        for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    });
    QTemporaryDir folder;
    const FileDialogOptions options{folder.path(), QStringLiteral("すべてのﾌｧｲﾙ (*.*)|*.*|")};
    const auto dialog = MakeFileDialog(nullptr, options, false);
    dialog->show();
    EXPECT_EQ(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText(),
              QStringLiteral("すべてのﾌｧｲﾙ (*.*)"));

    const auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(buttons, nullptr);
    QStringList texts;
    for (const QAbstractButton* button : buttons->buttons()) {
        texts << button->text();
    }
    texts << dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text();
    EXPECT_EQ(texts, (QStringList{"開く(&O)", "キャンセル", "ファイル名(&N):"}));
}

}  // namespace
}  // namespace korvi
