#include "Tour.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <utility>

#include "LedServerWindow.h"

namespace kova::guide {

void Camera::shoot(QWidget& window, const char* file) {
    QCoreApplication::processEvents();
    // Kept small for the repository: 256 colours hold the windows' flat fills and their text.
    const QImage image = window.grab().toImage();
    // A window that drew nothing is one or two colours; any real page has text and frames.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < 16; y += 3) {
        for (int x = 0; x < image.width() && colours.size() < 16; x += 3) {
            colours.insert(image.pixel(x, y));
        }
    }
    const QString path = dir_.absoluteFilePath(QString::fromUtf8(file));
    if (image.isNull() || colours.size() < 16) {
        std::fprintf(stderr, "guideshots: %s would be blank\n", file);
        failed_ = true;
    } else if (!image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither)
                    .save(path, "PNG", 9)) {
        std::fprintf(stderr, "guideshots: could not write %s\n", path.toLocal8Bit().constData());
        failed_ = true;
    } else {
        std::printf("%s\n", path.toLocal8Bit().constData());
    }
}

void TourDialogs::armForNextModal() {
    QTimer::singleShot(0, [this] { handle(100); });
}

void TourDialogs::handle(int attempts) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        // Shown but not yet modal: look again at the next turn of the loop.
        if (attempts > 0) {
            QTimer::singleShot(0, [this, attempts] { handle(attempts - 1); });
        }
        return;
    }
    if (expected_.empty()) {
        std::fprintf(stderr, "guideshots: unexpected window \"%s\"\n",
                     modal->windowTitle().toUtf8().constData());
        failed_ = true;
        modal->close();
        return;
    }
    const Handler handler = std::move(expected_.front());
    expected_.pop_front();
    handler(*modal);
}

void TourDialogs::message(QWidget* parent, const std::string& text, const std::string& caption,
                          MessageIcon icon) {
    std::printf("%s: %s\n", caption.c_str(), text.c_str());
    armForNextModal();
    real_.message(parent, text, caption, icon);
}

bool TourDialogs::question(QWidget* parent, const std::string& text, const std::string& caption,
                           MessageIcon icon) {
    armForNextModal();
    return real_.question(parent, text, caption, icon);
}

int TourDialogs::runModal(QDialog& dialog) {
    armForNextModal();
    return real_.runModal(dialog);
}

std::string TourDialogs::saveFileName(QWidget* /*parent*/, const std::string& caption,
                                      const std::string& suggested, const std::string& /*filter*/) {
    if (savePath_.empty()) {
        std::fprintf(stderr, "guideshots: unexpected file dialog \"%s\" for %s\n", caption.c_str(),
                     suggested.c_str());
        failed_ = true;
    }
    return std::exchange(savePath_, {});
}

LedBoardsOnThread::LedBoardsOnThread(const std::vector<std::string>& titles) : boards_(titles) {
    windows_ = openBoardWindows(
        boards_, [](const std::string&) {}, [](std::size_t, const WindowMessage&) {});
    for (const auto& w : windows_) {
        loop_.add(*w);
    }
    thread_ = std::thread([this] { loop_.run(); });
}

LedBoardsOnThread::~LedBoardsOnThread() {
    loop_.stop();
    thread_.join();
}

QWidget& LedBoardsOnThread::window() {
    // The tool's sends are answered only after the board took them: nothing is in flight here.
    auto display = std::make_unique<LedServerWindow>(boards_);
    for (std::size_t i = 0; i < boards_.boards().size(); ++i) {
        display->refresh(i);
    }
    window_ = std::move(display);
    window_->show();
    return *window_;
}

}  // namespace kova::guide
