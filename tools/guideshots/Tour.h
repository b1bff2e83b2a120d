#pragma once
// What the guide's pictures are taken with: a camera that refuses blank pictures, the dialogs door
// that hands each message box and nested dialog to the step expecting it, and the demo's LED
// boards served inside the process so that the board can be pictured too.

#include <QDir>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "LedServer.h"
#include "controls/Dialogs.h"
#include "platform/WindowReceiver.h"

class QWidget;

namespace kova::guide {

// Writes pictures of windows; a picture that cannot be written or shows next to nothing fails the
// run.
class Camera {
  public:
    explicit Camera(const QDir& dir) : dir_(dir) {}
    void shoot(QWidget& window, const char* file);
    // Where a file of the tour's goes: beside the pictures.
    std::string path(const char* file) const {
        return dir_.absoluteFilePath(QString::fromUtf8(file)).toStdString();
    }
    bool failed() const { return failed_; }

  private:
    QDir dir_;
    bool failed_ = false;
};

// Every message box and nested dialog of the tool runs for real; the next expected handler gets
// it once it shows and must end it. One that nobody expects is reported, fails the run and is
// closed, so the run never waits for a click.
class TourDialogs final : public Dialogs {
  public:
    using Handler = std::function<void(QWidget& modal)>;

    // The handler for the next modal window, after those already expected.
    void expect(Handler handler) { expected_.push_back(std::move(handler)); }
    // Hands the next modal window that shows to the next handler; for a window the tool does not
    // open through this door (the password box component's).
    void armForNextModal();
    // The answer to the next file dialog, once; a file dialog nobody expects is cancelled and
    // fails the run.
    void saveAs(std::string path) { savePath_ = std::move(path); }
    bool failed() const { return failed_; }

    void message(QWidget* parent, const std::string& text, const std::string& caption,
                 MessageIcon icon) override;
    bool question(QWidget* parent, const std::string& text, const std::string& caption,
                  MessageIcon icon) override;
    int runModal(QDialog& dialog) override;
    std::string saveFileName(QWidget* parent, const std::string& caption,
                             const std::string& suggested, const std::string& filter) override;

  private:
    void handle(int attempts);

    Dialogs& real_ = dialogs();
    std::deque<Handler> expected_;
    std::string savePath_;
    bool failed_ = false;
};

// The LED boards of MonDev.ini, served on a thread of their own (the tool's LED client waits for
// each answer), with the board window the substitute server shows.
class LedBoardsOnThread {
  public:
    explicit LedBoardsOnThread(const std::vector<std::string>& titles);
    ~LedBoardsOnThread();
    // The board window with every board's present text; valid while this object lives.
    QWidget& window();

  private:
    LedBoards boards_;
    std::vector<std::unique_ptr<MessageWindow>> windows_;
    WindowLoop loop_;
    std::thread thread_;
    std::unique_ptr<QWidget> window_;
};

}  // namespace kova::guide
