#include "main_window.h"

#include "layer_map_dialog.h"
#include "preview_window.h"
#include "run/layer_listing_run.h"
#include "run/run_log.h"
#include "run/version.h"
#include "ui_form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QTextCursor>
#include <chrono>

namespace vektrano {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Yield runs the event loop at most this often; the scan calls it once per line,
// so the clock is only looked at every so many calls.
constexpr qint64 kEventIntervalMs = 20;
constexpr int kYieldsPerClockCheck = 256;
// One frame of a 60 Hz display.
constexpr qint64 kBarPaintIntervalMs = 16;

void ShowMessageBox(QWidget* parent, const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    title, text, QMessageBox::Ok, parent);
    box.exec();
}

// Puts the arrow back on every way out of a block that reads a drawing.
class BusyPointer
{
public:
    explicit BusyPointer(WindowOperations& window)
        : window_(window)
    {
        window_.SetBusyCursor(true);
    }
    ~BusyPointer() { window_.SetBusyCursor(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    WindowOperations& window_;
};

} // namespace

MainWindow::MainWindow(Variablen& state, QWidget* parent)
    : QMainWindow(parent)
    , ui_(std::make_unique<Ui::Form1>())
    , layerMap_(ReadLayerMapSetting())
    , state_(state)
    , fileDialog_(std::make_unique<QtFileDialog>(this))
    , mapFileDialog_(std::make_unique<QtFileDialog>(this))
    , showMessage_([this](const QString& text, const QString& title, Icon icon) {
        ShowMessageBox(this, text, title, icon);
    })
{
    ui_->setupUi(this);
    // The client area is fixed by the central widget; the window follows it and
    // the menu bar, and cannot be resized.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(ui_->Btn_DXF, &QPushButton::clicked, this, &MainWindow::Btn_DXF_Click);
    connect(ui_->Btn_SCR, &QPushButton::clicked, this, &MainWindow::Btn_SCR_Click);
    connect(ui_->Btn_Start, &QPushButton::clicked, this, &MainWindow::Btn_Start_Click);
    // clicked, not toggled: the handler answers the user's click only.
    connect(ui_->Chk_Auto_Offset, &QCheckBox::clicked, this, &MainWindow::Chk_Auto_Offset_Click);
    connect(ui_->Menue_Version, &QAction::triggered, this, &MainWindow::Menue_Version_Click);
    QMenu* options = ui_->menubar->addMenu(QStringLiteral("Optionen"));
    options->setObjectName(QStringLiteral("Menue_Optionen"));
    Menue_Vollständige_Geometrie = options->addAction(QStringLiteral("Vollständige Geometrie"));
    Menue_Vollständige_Geometrie->setObjectName(QStringLiteral("Menue_Vollständige_Geometrie"));
    Menue_Vollständige_Geometrie->setCheckable(true);
    Menue_Vollständige_Geometrie->setChecked(
        QSettings(QStringLiteral("Vektrano"), QStringLiteral("Vektrano"))
            .value(QStringLiteral("VollstaendigeGeometrie"), false)
            .toBool());
    connect(Menue_Vollständige_Geometrie, &QAction::toggled, this,
            &MainWindow::Menue_Vollständige_Geometrie_Click);
    Menue_Layer_Zuordnung = options->addAction(QStringLiteral("Layer-Zuordnung…"));
    Menue_Layer_Zuordnung->setObjectName(QStringLiteral("Menue_Layer_Zuordnung"));
    // The check mark shows whether START uses a map; a click opens the dialog
    // and the mark follows what was chosen there.
    Menue_Layer_Zuordnung->setCheckable(true);
    Menue_Layer_Zuordnung->setChecked(layerMap_.inUse);
    connect(Menue_Layer_Zuordnung, &QAction::triggered, this,
            &MainWindow::Menue_Layer_Zuordnung_Click);
    Menue_Vorschau = ui_->menubar->addAction(QStringLiteral("Vorschau"));
    Menue_Vorschau->setObjectName(QStringLiteral("Menue_Vorschau"));
    Menue_Vorschau->setEnabled(false);
    connect(Menue_Vorschau, &QAction::triggered, this, &MainWindow::Menue_Vorschau_Click);
    ui_->Txt_Linienstärke->installEventFilter(this);
    for (const Field field : {Field::Txt_DXF, Field::Txt_SCR, Field::Txt_Layer,
                              Field::Txt_Linienstärke, Field::Txt_Offset_X, Field::Txt_Offset_Y}) {
        QLineEdit* edit = LineEditOf(field);
        std::string& text = fieldText_[static_cast<std::size_t>(field)];
        text = edit->text().toStdString();
        // textChanged, not textEdited: setText, typing, paste and undo all count.
        connect(edit, &QLineEdit::textChanged, this,
                [&text](const QString& now) { text = now.toStdString(); });
    }
    // A Windows text box sets a tab stop every eight average characters; the
    // statistics lines line up their counts with TABs.
    ui_->Text1->setTabStopDistance(8 * ui_->Text1->fontMetrics().averageCharWidth());

    ui_->Text1->setFocus();
    Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::OpenInitialPath(const QString& dxfPath)
{
    ui_->Txt_DXF->setText(dxfPath);
    ui_->Txt_SCR->setText(ScriptPathFor(dxfPath));
}

void MainWindow::Form_Load() { setWindowTitle(FromUtf8(WindowTitle(windowTitle().toStdString()))); }

void MainWindow::Btn_DXF_Click()
{
    fileDialog_->SetFilter(QStringLiteral("DXF Dateien|*.dxf"));
    fileDialog_->SetTitle(QStringLiteral("DXF Datei öffnen"));
    fileDialog_->SetStartPath(ui_->Txt_DXF->text());
    // A cancelled dialog leaves both fields as they were.
    if (!fileDialog_->ShowOpen())
        return;
    const QString fileName = fileDialog_->FileName();
    ui_->Txt_DXF->setText(fileName);
    ui_->Txt_SCR->setText(ScriptPathFor(fileName));
}

void MainWindow::Btn_SCR_Click()
{
    fileDialog_->SetFilter(QStringLiteral("SCR Dateien|*.scr"));
    // Stays set for every later use of the dialog, the DXF browse included.
    fileDialog_->SetDefaultExt(QStringLiteral("scr"));
    fileDialog_->SetTitle(QStringLiteral("SCR Datei wählen"));
    fileDialog_->SetStartPath(ui_->Txt_SCR->text());
    if (!fileDialog_->ShowOpen())
        return;
    ui_->Txt_SCR->setText(fileDialog_->FileName());
}

void MainWindow::Btn_Start_Click()
{
    // The run holds the script open while it yields, so a START that arrives
    // through Yield is ignored rather than entering the run a second time.
    if (running_)
        return;
    ConversionOptions options;
    options.fullGeometry = Menue_Vollständige_Geometrie->isChecked();
    if (layerMap_.inUse) {
        // Read again from the remembered text on each START, as the CLI reads its
        // file, so a map that has turned bad stops here and not in the run.
        auto parsed = ParseLayerMap(layerMap_.text, layerMap_.origin);
        if (auto* error = std::get_if<std::string>(&parsed)) {
            MessageBox(*error, "Layer-Zuordnung", Icon::Critical);
            return;
        }
        options.layerMap = std::move(std::get<LayerMap>(parsed));
        options.layerMapOrigin = layerMap_.origin;
        options.fullGeometry = true;
    }
    running_ = true;
    yieldsUntilClockCheck_ = 0;
    eventsAt_.reset();
    const QString script = ui_->Txt_SCR->text();
    const RunOutcome outcome = runner_(*this, state_, options);
    running_ = false;
    // Whatever the run wrote, finished or not, is what Eagle would read.
    if (outcome != RunOutcome::NotStarted && QFileInfo(script).isFile()) {
        previewScript_ = script;
        Menue_Vorschau->setEnabled(true);
        if (preview_ && preview_->isVisible())
            preview_->ShowScript(previewScript_);
    }
    // A close asked for during the run waited for the run to end.
    if (closing_)
        close();
}

void MainWindow::Chk_Auto_Offset_Click()
{
    if (ReadCheckBox(CheckBox::Chk_Auto_Offset) == 0) {
        ui_->Txt_Offset_X->setText(QStringLiteral("0"));
        ui_->Txt_Offset_Y->setText(QStringLiteral("0"));
    }
}

void MainWindow::Menue_Vollständige_Geometrie_Click(bool checked)
{
    QSettings(QStringLiteral("Vektrano"), QStringLiteral("Vektrano"))
        .setValue(QStringLiteral("VollstaendigeGeometrie"), checked);
}

void MainWindow::Menue_Version_Click()
{
    MessageBox("Version " + VersionText(), "Info", Icon::Information);
}

void MainWindow::Menue_Vorschau_Click()
{
    if (!preview_)
        preview_ = new PreviewWindow(this);
    preview_->ShowScript(previewScript_);
    preview_->show();
    preview_->raise();
    preview_->activateWindow();
}

void MainWindow::Menue_Layer_Zuordnung_Click()
{
    Menue_Layer_Zuordnung->setChecked(layerMap_.inUse);
    if (running_)
        return;
    LayerListing listing;
    const std::string drawing = ReadField(Field::Txt_DXF);
    if (!drawing.empty()) {
        std::variant<LayerListing, std::string> read;
        {
            BusyPointer busy(*this);
            // Repaints only: a click meant for the form waits until the list is read.
            read = ReadLayerListing(drawing, [this] { Repaint(); });
        }
        if (auto* layers = std::get_if<LayerListing>(&read))
            listing = std::move(*layers);
        else
            MessageBox(std::get<std::string>(read), "Layer-Zuordnung", Icon::Critical);
    }
    LayerMapDialog dialog(listing, layerMap_, ui_->Txt_DXF->text(), *mapFileDialog_, showMessage_,
                          this);
    if (dialog.exec() == QDialog::Accepted) {
        layerMap_ = dialog.Chosen();
        WriteLayerMapSetting(layerMap_);
    }
    Menue_Layer_Zuordnung->setChecked(layerMap_.inUse);
}

void MainWindow::Txt_Linienstärke_KeyPress(char16_t& keyAscii)
{
    if (keyAscii == u',')
        keyAscii = u'.';
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui_->Txt_Linienstärke || event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    // Each typed character comes here as its own key press. A paste (Ctrl+V or
    // the context menu) inserts its whole text at once and keeps its commas.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->text().size() != 1)
        return false;
    const char16_t typed = key->text().front().unicode();
    char16_t keyAscii = typed;
    Txt_Linienstärke_KeyPress(keyAscii);
    if (keyAscii == typed)
        return false;
    const QChar replaced(keyAscii);
    QKeyEvent replacement(QEvent::KeyPress, replaced.toUpper().unicode(), key->modifiers(),
                          QString(replaced), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(watched, &replacement);
    return true;
}

QLineEdit* MainWindow::LineEditOf(Field field) const
{
    switch (field) {
    case Field::Txt_DXF: return ui_->Txt_DXF;
    case Field::Txt_SCR: return ui_->Txt_SCR;
    case Field::Txt_Layer: return ui_->Txt_Layer;
    case Field::Txt_Linienstärke: return ui_->Txt_Linienstärke;
    case Field::Txt_Offset_X: return ui_->Txt_Offset_X;
    case Field::Txt_Offset_Y: return ui_->Txt_Offset_Y;
    }
    return nullptr;
}

QCheckBox* MainWindow::CheckBoxOf(CheckBox box) const
{
    switch (box) {
    case CheckBox::Chk_Auto_Offset: return ui_->Chk_Auto_Offset;
    case CheckBox::Chk_Line: return ui_->Chk_Line;
    case CheckBox::Chk_Arc: return ui_->Chk_Arc;
    case CheckBox::Chk_Circle: return ui_->Chk_Circle;
    case CheckBox::Chk_Polyline: return ui_->Chk_Polyline;
    }
    return nullptr;
}

std::string MainWindow::ReadField(Field field) const
{
    return fieldText_[static_cast<std::size_t>(field)];
}

int MainWindow::ReadCheckBox(CheckBox box) const { return CheckBoxOf(box)->isChecked() ? 1 : 0; }

void MainWindow::WriteField(Field field, std::string_view text)
{
    LineEditOf(field)->setText(FromUtf8(text));
}

void MainWindow::SetLog(std::string_view text)
{
    log_.assign(text);
    ui_->Text1->clear();
    logEndsInCr_ = false;
    ShowLog(text);
}

void MainWindow::AppendLog(std::string_view text)
{
    log_.append(text);
    ShowLog(text);
}

// Text1 gets each piece at its end with CR LF (or a lone CR or LF) as a line
// break, so the cost of an append is that of the piece, not of the whole log.
void MainWindow::ShowLog(std::string_view text)
{
    const QString piece = FromUtf8(text);
    QString shown;
    shown.reserve(piece.size());
    for (const QChar c : piece) {
        if (c == u'\n' && logEndsInCr_) {
            logEndsInCr_ = false;
            continue;
        }
        logEndsInCr_ = c == u'\r';
        shown.append(logEndsInCr_ ? QChar(u'\n') : c);
    }
    if (shown.isEmpty())
        return;
    QTextCursor end(ui_->Text1->document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
}

void MainWindow::SetProgress(float value)
{
    const int whole = value > 0 ? (value < 100 ? WholePercent(value) : 100) : 0;
    if (whole == ui_->ProgressBar1->value())
        return;
    // setValue repaints the bar at once on every step it can show, and the shift
    // makes a hundred steps in a row: its own repaint is held back, and the bar is
    // painted below, once a frame.
    ui_->ProgressBar1->setUpdatesEnabled(false);
    ui_->ProgressBar1->setValue(whole);
    ui_->ProgressBar1->setUpdatesEnabled(true);
    // The shift and the output pass do not yield, so the bar paints itself now,
    // but no more than once a display frame: a paint of the styled bar costs about
    // a third of a millisecond, and the shift moves it a hundred times at once.
    // A value skipped here is painted by the next move a frame later or by the
    // next event round, whichever comes first.
    const qint64 now = clock_();
    if (barPaintedAt_ && now - *barPaintedAt_ < kBarPaintIntervalMs) {
        ui_->ProgressBar1->update();
        return;
    }
    ui_->ProgressBar1->repaint();
    barPaintedAt_ = now;
}

qint64 MainWindow::SteadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void MainWindow::SetClock(Clock clock)
{
    clock_ = std::move(clock);
    eventsAt_.reset();
    barPaintedAt_.reset();
}

void MainWindow::SetBusyCursor(bool on)
{
    if (on == busyCursor_)
        return;
    busyCursor_ = on;
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        repaint();
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void MainWindow::MessageBox(std::string_view text, std::string_view title, Icon icon)
{
    showMessage_(FromUtf8(text), FromUtf8(title), icon);
}

bool MainWindow::Yield()
{
    if (yieldHook_)
        yieldHook_();
    if (--yieldsUntilClockCheck_ <= 0)
        ProcessEventsIfDue();
    return !closing_;
}

void MainWindow::ProcessEventsIfDue()
{
    yieldsUntilClockCheck_ = kYieldsPerClockCheck;
    const qint64 now = clock_();
    if (!eventsAt_ || now - *eventsAt_ >= kEventIntervalMs) {
        QCoreApplication::processEvents();
        eventsAt_ = clock_();
    }
}

void MainWindow::Repaint()
{
    if (eventsAt_ && clock_() - *eventsAt_ < kEventIntervalMs)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    eventsAt_ = clock_();
}

char MainWindow::DecimalSeparator() const
{
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.front().unicode() < 0x80)
        return static_cast<char>(point.front().unicode());
    return '.';
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (running_) {
        // The run ends at its next Yield and closes its script; then
        // Btn_Start_Click closes the window.
        closing_ = true;
        event->ignore();
        return;
    }
    closing_ = false;
    QMainWindow::closeEvent(event);
}

} // namespace vektrano
