#include "ui/QtImportRunner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <new>
#include <utility>

namespace kalvor {
namespace {

constexpr int kSteps = 1000;

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close: return true;
    default: return false;
    }
}

}  // namespace

QString importProgressText(const QString& fileName) {
    return QStringLiteral("Die Datei „%1“ wird eingelesen …").arg(fileName);
}

QtImportRunner::QtImportRunner(QWidget* window, Barrier barrier)
    : window_(window), barrier_(std::move(barrier)), dialogTimer_(new QTimer(this)), progressTimer_(new QTimer(this)) {
    dialogTimer_->setSingleShot(true);
    connect(dialogTimer_, &QTimer::timeout, this, [this] { showDialog(); });
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] { showProgress(); });
}

QtImportRunner::~QtImportRunner() {
    if (thread_.joinable()) {
        watch_->cancelled = true;
        thread_.join();
    }
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
    delete dialog_;
}

void QtImportRunner::run(const std::string& path, Read read, Done done) {
    if (thread_.joinable()) return;  // one file at a time; the window takes no input meanwhile
    watch_ = std::make_unique<ReadWatch>();
    done_ = std::move(done);
    result_.reset();
    const auto slash = path.rfind('/');
    fileName_ = QFile::decodeName(QByteArray::fromStdString(path.substr(slash == std::string::npos ? 0 : slash + 1)));
    qApp->installEventFilter(this);
    thread_ = std::thread([this, read = std::move(read), watch = watch_.get()] {
        PermanenceRead file;
        // Nothing may leave the thread; what fails is this import's refusal.
        try {
            file = read(*watch);
        } catch (const std::bad_alloc&) {
            file.outcome = PermanenceRead::Outcome::TooLarge;
            file.refusal = Refusal::TooLarge;
        } catch (...) {
            file.outcome = PermanenceRead::Outcome::Unreadable;
            file.refusal = Refusal::ReadError;
        }
        {
            const std::lock_guard lock(mutex_);
            result_ = std::move(file);
        }
        ready_.notify_all();
        QMetaObject::invokeMethod(
            this, [this] { finish(true); }, Qt::QueuedConnection);
    });

    // A file read within a moment is applied at once, inside the handler that asked
    // for it: no dialog, no window that changes a moment after the click.
    {
        std::unique_lock lock(mutex_);
        ready_.wait_for(lock, kWaitAtOnce, [this] { return result_.has_value(); });
    }
    finish(false);
    if (thread_.joinable()) dialogTimer_->start(kDialogAfter - kWaitAtOnce);
}

void QtImportRunner::finish(bool throughBarrier) {
    std::optional<PermanenceRead> file;
    {
        const std::lock_guard lock(mutex_);
        if (!result_ || !thread_.joinable()) return;
        file = std::move(result_);
        result_.reset();
    }
    thread_.join();
    dialogTimer_->stop();
    progressTimer_->stop();
    if (dialog_) {
        dialog_->hide();
        dialog_->deleteLater();
        dialog_ = nullptr;
    }
    qApp->removeEventFilter(this);
    Done done = std::move(done_);
    done_ = nullptr;
    if (throughBarrier) barrier_([&] { done(std::move(*file)); });
    else done(std::move(*file));
    if (std::exchange(closeWhenDone_, false)) QMetaObject::invokeMethod(window_, &QWidget::close, Qt::QueuedConnection);
}

void QtImportRunner::showDialog() {
    if (!thread_.joinable() || dialog_) return;
    dialog_ =
        new QProgressDialog(importProgressText(fileName_), QString::fromUtf8(kImportCancelText), 0, kSteps, window_);
    dialog_->setObjectName(QStringLiteral("importProgress"));
    dialog_->setWindowTitle(QString::fromUtf8(kImportProgressTitle));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    // Stops the reading at its next block; the result comes in as a refusal.
    connect(dialog_, &QProgressDialog::canceled, this, [this] {
        if (watch_) watch_->cancelled = true;
    });
    dialog_->show();
    progressTimer_->start();
    // Last: a modal dialog's setValue runs the event loop, which may finish the import.
    showProgress();
}

void QtImportRunner::showProgress() {
    if (!dialog_ || !watch_) return;
    const std::uint64_t total = watch_->bytesToRead;
    const std::uint64_t done = watch_->bytesRead;
    const int step = total == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(kSteps, done / (total / kSteps + 1)));
    if (dialog_->value() != step) dialog_->setValue(step);
}

bool QtImportRunner::eventFilter(QObject* watched, QEvent* event) {
    // While the file is read, the window waits: the user's input to it is dropped (the
    // dialog's own goes through). Closing it cancels the reading, and the window
    // closes once the reading has stopped.
    if (isUserInput(event->type()) && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window_) {
        if (event->type() == QEvent::Close) {
            event->ignore();
            if (watched == window_ && watch_) {
                closeWhenDone_ = true;
                watch_->cancelled = true;
            }
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kalvor
