#pragma once
// Reads an import's file on a thread of its own, so that the window goes on while a
// large file is read. A file read within a moment is applied as if read at once;
// after about half a second a progress dialog shows the file's name, how far the
// reading is and "Abbrechen", which stops the reading and leaves the window as a
// refused import does. The window takes no input of the user meanwhile; closing it
// cancels the reading and closes it when the reading has stopped.

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/ImportRunner.h"

class QProgressDialog;
class QTimer;
class QWidget;

namespace kalvor {

inline constexpr const char* kImportProgressTitle = " Import";
inline constexpr const char* kImportCancelText = "Abbrechen";

// The progress dialog's text for the file with the given name (its last component).
QString importProgressText(const QString& fileName);

class QtImportRunner final : public QObject, public ImportRunner {
public:
    // Runs a handler of the window: behind its exception barrier, mirrored afterwards.
    using Barrier = std::function<void(const std::function<void()>&)>;

    // window: the dialog's parent, whose input waits while a file is read; barrier
    // applies a result that comes in later as one of the window's handlers.
    QtImportRunner(QWidget* window, Barrier barrier);
    // A reading still running is cancelled and waited for; its result is dropped.
    ~QtImportRunner() override;
    QtImportRunner(const QtImportRunner&) = delete;
    QtImportRunner& operator=(const QtImportRunner&) = delete;

    void run(const std::string& path, Read read, Done done) override;
    bool running() const { return thread_.joinable(); }

    // How long the window waits for a reading before it goes on, and when the dialog shows.
    static constexpr std::chrono::milliseconds kWaitAtOnce{100};
    static constexpr std::chrono::milliseconds kDialogAfter{500};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes the reading's result, if it is there, and gives it to done.
    void finish(bool throughBarrier);
    void showDialog();
    void showProgress();

    QWidget* window_;
    Barrier barrier_;
    std::thread thread_;
    std::unique_ptr<ReadWatch> watch_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::optional<PermanenceRead> result_;  // from the reading thread, under mutex_
    Done done_;
    QString fileName_;
    QTimer* dialogTimer_;
    QTimer* progressTimer_;
    QProgressDialog* dialog_ = nullptr;
    bool closeWhenDone_ = false;  // the window was closed during the reading
};

}  // namespace kalvor
