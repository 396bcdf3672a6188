#pragma once
// The Qt face of the main window: builds the widgets from the layout table,
// forwards the user's input to the controls model and mirrors the model back.
// It holds no state of its own beyond what it needs to skip needless repaints.

#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Form1.h"
#include "app/LayoutTable.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace kalvor {

class ChartWidget;
class NameListModel;
class ViewAccessibility;

inline constexpr const char* kOutOfMemoryMessage =
    "Für diesen Schritt reicht der Arbeitsspeicher nicht. Er wurde abgebrochen; das Programm läuft weiter.";
inline constexpr const char* kHandlerFailedMessage =
    "Dieser Schritt konnte nicht ausgeführt werden. Er wurde abgebrochen; das Programm läuft weiter.";

class Form1View final : public QWidget {
public:
    explicit Form1View(Form1& form, QWidget* parent = nullptr);

    // Copies the whole controls model into the widgets; called after every event.
    void sync();
    // The widget of a control, by its name in the layout table.
    QWidget* control(std::string_view name) const;

    // Where a file named from outside the panel goes (the command line, a drop): the
    // import panel. Without it the window takes no drops.
    void setFileOpener(std::function<void(const std::string&)> open) { fileOpener_ = std::move(open); }
    // Imports the file at the absolute path behind the exception barrier, as "OK" would.
    void openFile(const std::string& path);
    // Runs handler as the window runs a user event's handler: behind the exception
    // barrier, then mirrored into the widgets. For work that ends later, off the event.
    void runHandler(const std::function<void()>& handler) { handle(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Runs one user event's handler behind the window's only exception barrier, then
    // mirrors the model into the widgets.
    void handle(const std::function<void()>& handler);
    QWidget* build(const LayoutRow& row, QWidget* parent);
    void syncLists();
    // Tab stops: of the options only the selected one; nothing a visible panel covers.
    void syncFocusStops();
    // The focus left on a control that a panel now covers moves on to the next stop.
    void moveFocusOffCoveredControl();
    // The one local file a drag carries, when the window takes it now; empty otherwise.
    std::string droppableFile(const QMimeData* mime) const;
    // The menu of the chart and the result boxes, at a point of the screen.
    void showFiguresMenu(QPoint at);

    Form1& form_;
    Controls& c_;
    std::vector<std::pair<std::string_view, QWidget*>> widgets_;
    std::vector<std::pair<Label*, QLabel*>> labels_;
    // The chart and the result boxes: where "Wie selten ist das?" is offered.
    std::vector<QWidget*> figureWidgets_;
    std::vector<std::pair<CommandButton*, QPushButton*>> buttons_;
    std::vector<std::pair<TextBox*, QLineEdit*>> textBoxes_;
    std::array<QRadioButton*, OptionGroup::kCount> options_{};
    ChartWidget* chart_ = nullptr;
    ViewAccessibility* accessibility_ = nullptr;
    QGroupBox* frame_ = nullptr;
    QPlainTextEdit* info_ = nullptr;
    QComboBox* drives_ = nullptr;
    QListWidget* dirs_ = nullptr;
    // The file list shows its names through a model: a directory of many thousand
    // files costs one reset, not one widget item per name.
    QListView* files_ = nullptr;
    NameListModel* fileNames_ = nullptr;

    // What the widgets show now, to leave unchanged widgets (and their cursors) alone.
    std::string infoShown_;
    std::vector<std::string> drivesShown_, dirsShown_;
    int dirDepthShown_ = -1;
    bool syncing_ = false;
    // Each focusable control with the policy the layout gave it, and the panel
    // (Frame1, infotext) that wholly covers it when shown, if any.
    struct FocusStop {
        QWidget* widget;
        Qt::FocusPolicy policy;
        QWidget* coveredBy;
    };
    std::vector<FocusStop> focusStops_;
    std::function<void(const std::string&)> fileOpener_;
};

}  // namespace kalvor
