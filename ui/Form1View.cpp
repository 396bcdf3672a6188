#include "ui/Form1View.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QContextMenuEvent>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QUrl>

#include <algorithm>
#include <new>

#include "app/Rarity.h"
#include "ui/Accessibility.h"
#include "ui/LayoutWidgets.h"
#include "ui/QtPlatform.h"
#include "ui/WindowIcon.h"

namespace kalvor {

Form1View::Form1View(Form1& form, QWidget* parent) : QWidget(parent), form_(form), c_(form.controls()) {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});

    setWindowTitle(qs(kWindowCaption));
    setWindowIcon(makeWindowIcon());
    setFixedSize(px(kClientWidth), px(kClientHeight));
    move(px(kClientLeft), px(kClientTop));
    setAutoFillBackground(true);
    setColours(this, QPalette::Window, QPalette::WindowText, kWindowBackground, kSystemColour);
    setAcceptDrops(true);

    for (const LayoutRow& row : layoutTable()) {
        QWidget* parentWidget = row.parent.empty() ? this : control(row.parent);
        QWidget* w = build(row, parentWidget);
        w->setObjectName(qs(row.name));
        w->setGeometry(px(row.left), px(row.top), std::max(1, px(row.width)), std::max(1, px(row.height)));
        if (row.fontPoints > 0) w->setFont(layoutFont(row.fontPoints, row.bold));
        if (!row.tooltip.empty()) w->setToolTip(qs(row.tooltip));
        w->setAccessibleName(qs(row.accessibleName.empty() ? row.text : row.accessibleName));
        w->setEnabled(row.enabled);
        w->setVisible(row.visible);
        if (row.tabIndex < 0) w->setFocusPolicy(Qt::NoFocus);
        widgets_.emplace_back(row.name, w);
    }

    std::vector<const LayoutRow*> tabbed;
    for (const LayoutRow& row : layoutTable())
        if (row.tabIndex >= 0) tabbed.push_back(&row);
    std::sort(tabbed.begin(), tabbed.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    for (size_t i = 1; i < tabbed.size(); ++i) setTabOrder(control(tabbed[i - 1]->name), control(tabbed[i]->name));

    // The layout is fixed, so what a panel covers is known once: a control of the
    // window made before the panel (so stacked below it) and lying wholly inside it.
    const auto madeAt = [this](const QWidget* w) {
        return std::find_if(widgets_.begin(), widgets_.end(), [w](const auto& e) { return e.second == w; });
    };
    for (auto it = widgets_.begin(); it != widgets_.end(); ++it) {
        QWidget* w = it->second;
        if (w->focusPolicy() == Qt::NoFocus) continue;
        QWidget* coveredBy = nullptr;
        for (QWidget* panel : {static_cast<QWidget*>(frame_), static_cast<QWidget*>(info_)})
            if (w->parentWidget() == this && it < madeAt(panel) && panel->geometry().contains(w->geometry()))
                coveredBy = panel;
        focusStops_.push_back({w, w->focusPolicy(), coveredBy});
    }

    // A right click on the chart or a result box, the menu key or Shift+F10 on the
    // chart: the figures' menu. No tooltip and nothing visible is added for it.
    figureWidgets_.push_back(chart_);
    for (std::string_view name : kResultLabelNames) figureWidgets_.push_back(control(name));
    for (QWidget* w : figureWidgets_) w->installEventFilter(this);

    accessibility_ = new ViewAccessibility(*this, form, [this](std::string_view name) { return control(name); });
    sync();
    control("textanzahl")->setFocus();
}

QWidget* Form1View::build(const LayoutRow& row, QWidget* parent) {
    switch (row.kind) {
    case ControlKind::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setText(qs(row.text));
        label->setWordWrap(true);
        label->setAutoFillBackground(true);
        label->setAlignment(Qt::AlignTop | (row.centred ? Qt::AlignHCenter : Qt::AlignLeft));
        if (row.framed) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
            // Text starts just inside the border, not half a character in, so the
            // prompt's lines keep the width the layout gives them.
            label->setIndent(1);
        }
        setColours(label, QPalette::Window, QPalette::WindowText, row.background, row.foreground);
        if (Label* model = c_.label(row.name)) labels_.emplace_back(model, label);
        return label;
    }
    case ControlKind::Chart:
        chart_ = new ChartWidget(c_.blatt, parent);
        chart_->setFocusPolicy(Qt::TabFocus);
        return chart_;
    case ControlKind::Rectangle:
    case ControlKind::Line: return new OutlineWidget(toQColor(row.foreground), row.kind == ControlKind::Line, parent);
    case ControlKind::CommandButton: {
        auto* button = new CommandButtonWidget(qs(row.text), parent);
        button->setAutoDefault(false);
        CommandButton* model = c_.button(row.name);
        buttons_.emplace_back(model, button);
        connect(button, &QPushButton::clicked, this, [this, model] { handle([model] { model->click(); }); });
        return button;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(parent);
        edit->setAlignment(row.centred ? Qt::AlignCenter : Qt::AlignLeft);
        setColours(edit, QPalette::Base, QPalette::Text, row.background, row.foreground);
        // A file dropped on a box is meant for the window, not typed into the box.
        edit->setAcceptDrops(false);
        TextBox* model = c_.textBox(row.name);
        textBoxes_.emplace_back(model, edit);
        // Only the user's edits: the box may empty itself at once in its change handler.
        connect(edit, &QLineEdit::textEdited, this,
                [this, model](const QString& text) { handle([&] { model->setText(text.toStdString()); }); });
        // Text set from outside the keyboard (an assistive technology's EditableText) runs
        // the same rule: setText leaves a box unmodified, typing marks it modified. A box
        // the model has disabled takes nothing, as it takes no typing.
        connect(edit, &QLineEdit::textChanged, this, [this, model, edit](const QString& text) {
            if (syncing_ || edit->isModified()) return;
            handle([&] {
                if (model->enabled) model->setText(text.toStdString());
            });
        });
        return edit;
    }
    case ControlKind::OptionButton: {
        auto* radio = new QRadioButton(qs(row.text), parent);
        radio->setAutoFillBackground(true);
        radio->setBackgroundRole(QPalette::Window);  // buttons fill with the button face otherwise
        setColours(radio, QPalette::Window, QPalette::WindowText, row.background, row.foreground);
        const int index = row.name.back() - '0';
        options_[static_cast<size_t>(index)] = radio;
        // Also when already selected: the mode handler runs on every click.
        connect(radio, &QRadioButton::clicked, this, [this, index] { handle([&] { c_.Option1.select(index); }); });
        // An assistive technology's "toggle" checks the button without a click. Looked at
        // once the toggle is done: a click has then reached the model already.
        connect(radio, &QRadioButton::toggled, this, [this, index](bool checked) {
            if (!checked || syncing_) return;
            QMetaObject::invokeMethod(
                this,
                [this, index] {
                    if (options_[static_cast<size_t>(index)]->isChecked() && !c_.Option1.isSelected(index))
                        handle([&] { c_.Option1.select(index); });
                },
                Qt::QueuedConnection);
        });
        return radio;
    }
    case ControlKind::Frame:
        frame_ = new FrameWidget(qs(row.text), parent);
        frame_->setAutoFillBackground(true);
        setColours(frame_, QPalette::Window, QPalette::WindowText, row.background, row.foreground);
        return frame_;
    case ControlKind::DriveList:
        drives_ = new QComboBox(parent);
        connect(drives_, &QComboBox::activated, this, [this](int index) { handle([&] { c_.Drive1.choose(index); }); });
        return drives_;
    case ControlKind::DirList:
        dirs_ = new QListWidget(parent);
        // Double-click or Enter opens an entry, whatever the desktop's single-click setting.
        dirs_->installEventFilter(this);
        connect(dirs_, &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem* item) { handle([&] { c_.Dir1.open(dirs_->row(item)); }); });
        return dirs_;
    case ControlKind::FileList:
        files_ = new QListView(parent);
        fileNames_ = new NameListModel(files_);
        files_->setModel(fileNames_);
        files_->setSelectionMode(QAbstractItemView::SingleSelection);
        files_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        // One row's height for all: the layout of a long list costs nothing per name.
        files_->setUniformItemSizes(true);
        files_->setItemDelegate(new ViewWideDelegate(files_));
        files_->viewport()->installEventFilter(this);
        connect(files_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current, const QModelIndex&) {
                    if (syncing_ || !current.isValid()) return;
                    const int index = current.row();
                    handle([&] { c_.File1.click(index); });
                });
        return files_;
    case ControlKind::InfoBox:
        info_ = new QPlainTextEdit(parent);
        info_->setReadOnly(true);
        info_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        info_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setColours(info_, QPalette::Base, QPalette::Text, row.background, row.foreground);
        return info_;
    }
    return new QWidget(parent);
}

void Form1View::handle(const std::function<void()>& handler) {
    // Qt must never see an exception: one that passed through a slot would end the
    // program and the series with it. What the handler changed before it failed stays;
    // the window mirrors that and stays usable.
    const QPointer<QWidget> focused = QApplication::focusWidget();
    const char* failure = nullptr;
    // The mirroring allocates too; it is guarded like the handler, and runs also
    // after the handler failed.
    const auto guarded = [&failure](const auto& step) {
        try {
            step();
        } catch (const std::bad_alloc&) {
            if (!failure) failure = kOutOfMemoryMessage;
        } catch (...) {
            if (!failure) failure = kHandlerFailedMessage;
        }
    };
    guarded(handler);
    guarded([&] {
        sync();
        // A control the handler disabled or hid loses the focus to "Anzahl Würfe", not to
        // the next control, where Qt would pass it: that may be "Ende", whose question
        // takes Space or Enter as Yes and would end the program with the series.
        if (focused && isAncestorOf(focused) && (!focused->isEnabled() || !focused->isVisible()))
            control("textanzahl")->setFocus(Qt::OtherFocusReason);
        moveFocusOffCoveredControl();
    });
    if (!failure) return;
    try {
        QMessageBox box(QMessageBox::Warning, QStringLiteral(" Kalvor 1"), QString::fromUtf8(failure), QMessageBox::Ok,
                        this);
        setGermanButtons(box);
        box.exec();
    } catch (...) {
        // Not even the message could be shown; the window goes on as it is.
    }
}

QWidget* Form1View::control(std::string_view name) const {
    for (const auto& [n, w] : widgets_)
        if (n == name) return w;
    return nullptr;
}

void Form1View::sync() {
    // Cleared however the mirroring ends, so that the lists go on taking the user's picks.
    struct Cleared {
        bool& flag;
        ~Cleared() { flag = false; }
    } cleared{syncing_};
    syncing_ = true;
    for (auto& [model, label] : labels_) {
        const QString text =
            model == &c_.text ? newestLinesThatFit(*label, displayText(model->text)) : displayText(model->text);
        if (label->text() != text) label->setText(text);
    }
    for (auto& [model, button] : buttons_) {
        const QString caption = qs(model->caption);
        if (button->text() != caption) button->setText(caption);
        button->setEnabled(model->enabled);
    }
    for (auto& [model, edit] : textBoxes_) {
        const QString text = qs(model->text());
        if (edit->text() != text) edit->setText(text);
        edit->setEnabled(model->enabled);
        if (edit->palette().color(QPalette::Base) != toQColor(model->backColour))
            setColours(edit, QPalette::Base, QPalette::Text, model->backColour, kSystemColour);
    }
    options_[static_cast<size_t>(c_.Option1.selected())]->setChecked(true);
    frame_->setVisible(c_.Frame1.visible);
    if (c_.infotext.text != infoShown_) {
        info_->setPlainText(displayText(c_.infotext.text));
        infoShown_ = c_.infotext.text;
    }
    info_->setVisible(c_.infotext.visible);
    syncLists();
    chart_->refresh();
    syncFocusStops();
    if (accessibility_) accessibility_->update();
}

void Form1View::syncFocusStops() {
    for (const FocusStop& stop : focusStops_) {
        Qt::FocusPolicy policy = stop.policy;
        // Qt moves the option stop only when an option takes the focus; a mode that
        // the handlers select (a halt switches to "Durchlauf") must move it too.
        const auto option = std::find(options_.begin(), options_.end(), stop.widget);
        if (option != options_.end() && !(*option)->isChecked())
            policy = static_cast<Qt::FocusPolicy>(policy & ~Qt::TabFocus);
        if (stop.coveredBy && !stop.coveredBy->isHidden()) policy = Qt::NoFocus;
        if (stop.widget->focusPolicy() != policy) stop.widget->setFocusPolicy(policy);
    }
}

void Form1View::moveFocusOffCoveredControl() {
    QWidget* focused = QApplication::focusWidget();
    const auto covered = [](const FocusStop& stop) { return stop.coveredBy && !stop.coveredBy->isHidden(); };
    const auto stop = std::find_if(focusStops_.begin(), focusStops_.end(),
                                   [focused](const FocusStop& s) { return s.widget == focused; });
    if (!focused || stop == focusStops_.end() || !covered(*stop)) return;
    // Where Tab would go from there: the panel's first control. A covered button
    // kept the focus otherwise, and Space would press it unseen.
    for (QWidget* next = focused->nextInFocusChain(); next != focused; next = next->nextInFocusChain()) {
        if (isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isVisible() && next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void Form1View::syncLists() {
    if (c_.Drive1.items != drivesShown_) {
        drives_->clear();
        for (const auto& item : c_.Drive1.items) drives_->addItem(qs(item));
        drivesShown_ = c_.Drive1.items;
    }
    if (drives_->currentIndex() != c_.Drive1.current) drives_->setCurrentIndex(c_.Drive1.current);

    if (c_.Dir1.items != dirsShown_ || c_.Dir1.pathDepth != dirDepthShown_) {
        dirs_->clear();
        const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
        const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
        const int depth = c_.Dir1.pathDepth;
        for (int i = 0; i < static_cast<int>(c_.Dir1.items.size()); ++i) {
            // The path from the root steps in one level per entry; its subdirectories one more.
            const int indent = i < depth ? i : depth;
            auto* item = new QListWidgetItem(i < depth ? open : closed, QString(indent * 2, QLatin1Char(' ')) +
                                                                            qs(c_.Dir1.items[static_cast<size_t>(i)]));
            dirs_->addItem(item);
        }
        dirs_->setCurrentRow(depth - 1);
        dirsShown_ = c_.Dir1.items;
        dirDepthShown_ = depth;
    }

    if (c_.File1.items != fileNames_->names()) fileNames_->setNames(c_.File1.items);
    if (files_->currentIndex().row() != c_.File1.selected)
        files_->selectionModel()->setCurrentIndex(fileNames_->index(c_.File1.selected),
                                                  QItemSelectionModel::ClearAndSelect);
}

void Form1View::showFiguresMenu(QPoint at) {
    QMenu menu(this);
    QAction* rarity = menu.addAction(qs(kRarityEntry));
    rarity->setEnabled(form_.rarityAvailable());
    if (menu.exec(at) == rarity) handle([this] { form_.rarity_Click(); });
}

bool Form1View::eventFilter(QObject* watched, QEvent* event) {
    if (const auto figures = std::find(figureWidgets_.begin(), figureWidgets_.end(), watched);
        figures != figureWidgets_.end()) {
        QWidget* w = *figures;
        if (event->type() == QEvent::ContextMenu) {
            const auto* request = static_cast<QContextMenuEvent*>(event);
            // From the keyboard the menu opens at the control's corner, as it does elsewhere.
            showFiguresMenu(request->reason() == QContextMenuEvent::Mouse ? request->globalPos()
                                                                         : w->mapToGlobal(QPoint(0, 0)));
            return true;
        }
        if (event->type() == QEvent::KeyPress && w == chart_) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
                showFiguresMenu(w->mapToGlobal(QPoint(0, 0)));
                return true;
            }
        }
    }
    if (dirs_ && watched == dirs_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && dirs_->currentRow() >= 0) {
            const int row = dirs_->currentRow();
            handle([&] { c_.Dir1.open(row); });
            return true;
        }
    }
    // A click on the empty part of the file list is a click without a file.
    if (files_ && watched == files_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!files_->indexAt(mouse->position().toPoint()).isValid()) handle([this] { c_.File1.click(-1); });
    }
    return QWidget::eventFilter(watched, event);
}

void Form1View::openFile(const std::string& path) {
    handle([&] {
        if (fileOpener_) fileOpener_(path);
    });
}

std::string Form1View::droppableFile(const QMimeData* mime) const {
    // Taken as the button "Import" would be: only while it is enabled.
    if (!fileOpener_ || !c_.okextern.enabled || !mime || !mime->hasUrls()) return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    // The path's bytes as the URL carries them: toLocalFile() would decode them as
    // UTF-8 and lose those of a name that is not.
    const QByteArray path = QByteArray::fromPercentEncoding(urls.front().path(QUrl::FullyEncoded).toLatin1());
    return path.toStdString();
}

void Form1View::dragEnterEvent(QDragEnterEvent* event) {
    if (droppableFile(event->mimeData()).empty() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    // A file is read, never taken: as a copy, so that no file manager removes its original.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void Form1View::dropEvent(QDropEvent* event) {
    std::string path = droppableFile(event->mimeData());
    if (path.empty() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // After the drop has returned: a message box opened inside it would hold the file
    // manager's drag until the box is closed.
    QMetaObject::invokeMethod(
        this,
        [this, path = std::move(path)] {
            if (c_.okextern.enabled) openFile(path);
        },
        Qt::QueuedConnection);
}

void Form1View::closeEvent(QCloseEvent* event) {
    // Closing through the frame ends the program without a question.
    event->accept();
    QCoreApplication::quit();
}

}  // namespace kalvor
