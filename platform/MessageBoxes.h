// Message boxes and file dialogs: the real ones are modal Qt dialogs; tests use recording fakes
// that answer as told (tests/support).
#pragma once

#include <QString>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace korvi {

enum class BoxIcon { None, Critical, Information };

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Modal box with an OK button.
    virtual void show(const QString& text, const QString& title, BoxIcon icon) = 0;
};

struct FileDialogOptions {
    QString initialFolder;
    QString filter;  // in the "description|pattern|" form of the layout commands
};

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> saveFile(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> openFile(const FileDialogOptions& options) = 0;
};

class QtMessageBoxes : public MessageBoxes {
  public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const QString& text, const QString& title, BoxIcon icon) override;

  private:
    QWidget* parent_;
};

// The toolkit's file dialog for `options`, not yet shown: each filter keeps its description as
// written ("すべてのﾌｧｲﾙ (*.*)") while "*.*" lists every file, a name without a dot included, as
// it does on Windows.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileDialogOptions& options,
                                            bool save);

// Loads the toolkit's own Japanese texts (buttons and labels of its dialogs, its messages), so
// that every dialog speaks Japanese like the rest of the program whatever the locale. False when
// the translations are not installed; the dialogs then stay in English.
bool LoadToolkitTranslations();

class QtFileDialogs : public FileDialogs {
  public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;

  private:
    QWidget* parent_;
};

}  // namespace korvi
