#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QFileDialog;
class QWidget;

namespace vektrano {

// CommonDialog1 as the form uses it: a filter in the form "description|pattern",
// a default extension added to a typed name that has none, the Open dialog, and
// the full path of the chosen file. The window holds one for its whole life, so
// what a handler sets stays set for the next use; tests put in a fake.
class FileDialog
{
public:
    virtual ~FileDialog() = default;
    virtual void SetFilter(const QString& filter) = 0;
    virtual void SetDefaultExt(const QString& extension) = 0;
    virtual void SetTitle(const QString& title) = 0;
    // The path the button's field holds: the dialog opens in its folder, or where
    // it was last used when that folder does not exist.
    virtual void SetStartPath(const QString& path) = 0;
    // Shows the dialog modally. False when it was closed without a choice.
    virtual bool ShowOpen() = 0;
    // The same for a file to write: the real dialog asks before it replaces one.
    // A fake may answer both alike.
    virtual bool ShowSave() { return ShowOpen(); }
    virtual QString FileName() const = 0;
};

// The real dialog: one QFileDialog, made at first use and kept. It lets the user
// name a file that does not exist yet, which the script path needs.
class QtFileDialog final : public FileDialog
{
public:
    explicit QtFileDialog(QWidget* parent);
    ~QtFileDialog() override;

    void SetFilter(const QString& filter) override { filter_ = filter; }
    void SetDefaultExt(const QString& extension) override { defaultExt_ = extension; }
    void SetTitle(const QString& title) override { title_ = title; }
    void SetStartPath(const QString& path) override { startPath_ = path; }
    bool ShowOpen() override;
    bool ShowSave() override;
    QString FileName() const override { return fileName_; }

    // The QFileDialog itself, null before the first ShowOpen.
    QFileDialog* Dialog() const { return dialog_.get(); }

private:
    bool Show(bool save);

    QWidget* parent_;
    std::unique_ptr<QFileDialog> dialog_;
    QString filter_;
    QString defaultExt_;
    QString title_;
    QString startPath_;
    QString fileName_;
};

// "DXF Dateien|*.dxf" as Qt writes name filters: {"DXF Dateien (*.dxf)"}. Further
// description|pattern pairs become further filters; an empty text gives none.
QStringList QtNameFilters(const QString& filter);

// The script path Btn_DXF_Click derives from a chosen file: the name less its last
// three characters, whatever they are, followed by "scr". A character outside the
// Basic Multilingual Plane counts as one, so a path is never cut inside one.
QString ScriptPathFor(const QString& fileName);

} // namespace vektrano
