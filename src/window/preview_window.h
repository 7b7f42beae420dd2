#pragma once

#include "preview/script_picture.h"

#include <QMainWindow>
#include <memory>
#include <vector>

class QGraphicsScene;
class QLabel;

namespace vektrano {

class PreviewView;
class ShapesItem;

// The picture of a written script, in a window of its own beside the form: what
// Eagle will draw, read back from the file. Non-modal, resizable, its size and
// place kept between sessions.
//
// No Q_OBJECT, as in MainWindow: it declares no signals or slots.
class PreviewWindow final : public QMainWindow
{
public:
    explicit PreviewWindow(QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // Reads the script from its file and shows it; a file that cannot be read
    // leaves the picture empty and says so in the status line.
    void ShowScript(const QString& path);
    void ShowPicture(ScriptPicture picture);
    // Zooms so the whole drawing fills the view.
    void Fit();

    QGraphicsScene* Scene() const { return scene_; }
    const ScriptPicture& Picture() const { return picture_; }
    QString StatusText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowCursorPosition(QPointF scenePoint);
    void SaveGeometry();

    ScriptPicture picture_;
    QGraphicsScene* scene_ = nullptr;
    PreviewView* view_ = nullptr;
    QLabel* legend_ = nullptr;
    QLabel* cursorLabel_ = nullptr;
    QLabel* extentLabel_ = nullptr;
    std::vector<ShapesItem*> items_; // one per shape kind, or per layer when coloured by layer
    bool fitPending_ = true;
};

} // namespace vektrano
