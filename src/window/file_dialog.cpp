#include "file_dialog.h"

#include "run/script_path.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace vektrano {

QtFileDialog::QtFileDialog(QWidget* parent)
    : parent_(parent)
{}

QtFileDialog::~QtFileDialog() = default;

bool QtFileDialog::ShowOpen() { return Show(false); }

bool QtFileDialog::ShowSave() { return Show(true); }

bool QtFileDialog::Show(bool save)
{
    if (!dialog_) {
        dialog_ = std::make_unique<QFileDialog>(parent_);
        // AnyFile: the form's two buttons open in Open mode and still accept a
        // script name that does not exist yet.
        dialog_->setFileMode(QFileDialog::AnyFile);
    }
    dialog_->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog_->setNameFilters(QtNameFilters(filter_));
    dialog_->setDefaultSuffix(defaultExt_);
    dialog_->setWindowTitle(title_);
    // The dialog is kept, so without a usable start path it stays where it was.
    if (const QFileInfo start(startPath_); !startPath_.isEmpty() && start.dir().exists()) {
        dialog_->setDirectory(start.dir());
        dialog_->selectFile(start.fileName());
    }
    if (dialog_->exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog_->selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return false;
    fileName_ = chosen.front();
    return true;
}

QStringList QtNameFilters(const QString& filter)
{
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append(parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')'));
    return filters;
}

QString ScriptPathFor(const QString& fileName)
{
    return QString::fromStdString(vektrano::ScriptPathFor(fileName.toStdString()));
}

} // namespace vektrano
