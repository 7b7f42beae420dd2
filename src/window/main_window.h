#pragma once

#include "file_dialog.h"
#include "layer_map_setting.h"
#include "run/conversion_run.h"
#include "run/window_operations.h"
#include "state/variablen.h"

#include <QAction>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QLineEdit;

namespace Ui {
class Form1;
}

namespace vektrano {

class PreviewWindow;

// Form1, the program's only window, designed in form1.ui. It holds
// the controls and implements the window operations the run uses; the run itself
// and the shared state belong to the engine.
//
// No Q_OBJECT: moc reads the headers included here and stops with a parse error at
// the umlaut in Field::Txt_Linienstärke (Qt 6.4), and the window declares no
// signals or slots that would need it.
class MainWindow final : public QMainWindow, public WindowOperations
{
public:
    using MessageBoxShow =
        std::function<void(const QString& text, const QString& title, Icon icon)>;
    // Milliseconds on a clock that never goes back; only differences count.
    using Clock = std::function<qint64()>;
    using Runner = std::function<RunOutcome(WindowOperations& window, Variablen& state,
                                            const ConversionOptions& options)>;

    explicit MainWindow(Variablen& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Fills Txt_DXF with a path given on the command line and Txt_SCR by the rule
    // of the DXF browse button.
    void OpenInitialPath(const QString& dxfPath);

    // The log exactly as the run wrote it, CR LF included; Text1 shows it with
    // plain line breaks.
    const std::string& LogText() const { return log_; }
    bool RunInProgress() const { return running_; }
    // The preview window, once "Vorschau" has opened it.
    PreviewWindow* Preview() const { return preview_; }

    // Seams for the tests: the file dialog, the message box, a hook called on
    // every Yield before the window's events are processed, and the clock that
    // paces the event rounds and the bar's paints.
    void SetFileDialog(std::unique_ptr<FileDialog> dialog) { fileDialog_ = std::move(dialog); }
    // The layer dialog's own file dialog, so a map's folder and extension never
    // become those of the form's two buttons.
    void SetMapFileDialog(std::unique_ptr<FileDialog> dialog)
    {
        mapFileDialog_ = std::move(dialog);
    }
    // What START hands the options to; RunConversion unless a test looks at them.
    void SetRunner(Runner runner) { runner_ = std::move(runner); }
    void SetMessageBox(MessageBoxShow show) { showMessage_ = std::move(show); }
    void SetYieldHook(std::function<void()> hook) { yieldHook_ = std::move(hook); }
    void SetClock(Clock clock);

    std::string ReadField(Field field) const override;
    int ReadCheckBox(CheckBox box) const override;
    void WriteField(Field field, std::string_view text) override;
    void SetLog(std::string_view text) override;
    void AppendLog(std::string_view text) override;
    void SetProgress(float value) override;
    void SetBusyCursor(bool on) override;
    void MessageBox(std::string_view text, std::string_view title, Icon icon) override;
    bool Yield() override;
    void Repaint() override;
    char DecimalSeparator() const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The handlers, by the names the form has always given them. Plain members wired with the
    // pointer-to-member connect: moc cuts a slot name at its first non-ASCII byte.
    void Form_Load();
    void Btn_DXF_Click();
    void Btn_SCR_Click();
    void Btn_Start_Click();
    void Chk_Auto_Offset_Click();
    void Menue_Version_Click();
    void Menue_Vollständige_Geometrie_Click(bool checked);
    void Menue_Vorschau_Click();
    void Menue_Layer_Zuordnung_Click();
    // KeyAscii as the form's key event has it: the character typed, which the
    // handler may replace before it reaches the field.
    void Txt_Linienstärke_KeyPress(char16_t& keyAscii);

    QLineEdit* LineEditOf(Field field) const;
    QCheckBox* CheckBoxOf(CheckBox box) const;
    void ShowLog(std::string_view text);
    // The part of Yield that may run the event loop, kept out of line so the call
    // made for every line of the scan stays a few instructions.
    void ProcessEventsIfDue();

    std::unique_ptr<Ui::Form1> ui_;
    // Checkable; its state is kept in the user's settings between starts.
    QAction* Menue_Vollständige_Geometrie = nullptr;
    // Checked while START uses the remembered layer map.
    QAction* Menue_Layer_Zuordnung = nullptr;
    LayerMapSetting layerMap_;
    Variablen& state_;
    std::unique_ptr<FileDialog> fileDialog_;
    std::unique_ptr<FileDialog> mapFileDialog_;
    Runner runner_ = RunConversion;
    MessageBoxShow showMessage_;
    std::function<void()> yieldHook_;
    // The menu bar's last entry; disabled until a START has written a script.
    QAction* Menue_Vorschau = nullptr;
    PreviewWindow* preview_ = nullptr; // owned by the Qt parent, this window
    QString previewScript_;

    // Each field's text as UTF-8, renewed on every change of the field, so that a
    // read (one per coordinate and script line) costs no conversion and still
    // sees the text as it stands at that moment.
    std::array<std::string, kFieldCount> fieldText_;
    std::string log_;
    bool logEndsInCr_ = false;
    bool busyCursor_ = false;
    bool running_ = false;
    bool closing_ = false;
    int yieldsUntilClockCheck_ = 0;
    static qint64 SteadyMilliseconds();
    Clock clock_ = SteadyMilliseconds;
    std::optional<qint64> eventsAt_;
    std::optional<qint64> barPaintedAt_;
};

} // namespace vektrano
