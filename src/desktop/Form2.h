#pragma once

#include <QDialog>
#include <QImage>

#include <functional>

namespace tivrel {

class ClickableLabel;

// The information window: the help sheet as its background, and over its top-left corner
// the notice panel (Image1) with the web-site link (Image2) for the about panel.
class Form2 final : public QDialog {
    Q_OBJECT
public:
    // The frame and title bar the window's outer size includes; the client area gets the rest.
    static constexpr int kFrameWidth = 3;
    static constexpr int kTitleHeight = 19;

    explicit Form2(QWidget* owner = nullptr);
    ~Form2() override;

    // Sets the outer size in twips, frame and title bar included.
    void setOuterSizeTwips(int width, int height);

    ClickableLabel* Image1 = nullptr; // notice panel
    ClickableLabel* Image2 = nullptr; // link picture

    // Handlers the window's owner fills in; each runs at its event.
    std::function<void()> Form_Load;
    std::function<void()> Form_Click;
    std::function<void()> Image1_Click;
    std::function<void()> Image2_Click;
    std::function<void()> Form_Unload;

    // Shows the window modally and runs Form_Load first.
    int showModal();
    // Closes the window by the program: the unload handler runs as for any close.
    void unload();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void runUnload();
    QImage m_sheet;
    bool m_unloaded = false;
};

} // namespace tivrel
