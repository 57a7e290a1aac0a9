// A top-level window with a fixed client area, an optional menu bar above it, a load step
// that runs once per creation before the first showing, and an unload step for the close box.
#pragma once

#include <QWidget>
#include <string>

class QMenuBar;

namespace toolkit {

class Form : public QWidget {
  public:
    /// The client area in twips; the window cannot be resized.
    Form(int clientWidthTwips, int clientHeightTwips);
    /// The client area in pixels, for a form whose size is not its design's alone.
    explicit Form(QSize clientPixels);

    /// The parent of every control; positions are relative to it.
    QWidget* Client() const { return client_; }
    /// The menu bar, created above the client area on first use.
    QMenuBar* MenuBar();

    void SetCaption(const std::string& text);
    std::string Caption() const;

    /// Runs once per creation, before the window is first displayed (FormSlot calls it).
    virtual void Form_Load() {}

    /// True once the user has closed the window; a later showing creates it afresh.
    bool IsClosed() const { return closed_; }

  protected:
    /// Runs when the user closes the window with its close box.
    virtual void Form_Unload() {}
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* client_;
    QMenuBar* menuBar_ = nullptr;
    bool closed_ = false;
};

}  // namespace toolkit
