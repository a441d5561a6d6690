#include "app/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "app/desktop_identity.h"
#include "app/parse_command.h"
#include "app/wrapped_label.h"
#include "platform/code_page.h"

namespace kestrane {

namespace {

// A single-line edit box that reports a left-button press before handling it.
class PressableLineEdit : public QLineEdit {
public:
    PressableLineEdit(QWidget* parent, std::function<void()> onPressed)
        : QLineEdit(parent), m_onPressed(std::move(onPressed)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && m_onPressed) m_onPressed();
        QLineEdit::mousePressEvent(event);
    }

private:
    std::function<void()> m_onPressed;
};

QColor ToQColor(const Rgb& c) { return QColor(c.red, c.green, c.blue); }

void ApplyLook(QWidget* w, const ControlLook& look) {
    if (look.textColour || look.background) {
        QPalette palette = w->palette();
        if (look.textColour) palette.setColor(QPalette::WindowText, ToQColor(*look.textColour));
        if (look.background) {
            palette.setColor(QPalette::Window, ToQColor(*look.background));
            w->setAutoFillBackground(true);
        }
        w->setPalette(palette);
    }
    if (look.bold || look.fontFamily || look.characterHeight > 0) {
        QFont font = w->font();
        if (look.fontFamily) font.setFamilies({QString::fromUtf8(look.fontFamily), font.family()});
        if (look.characterHeight > 0) font.setPixelSize(look.characterHeight);
        font.setBold(look.bold);
        w->setFont(font);
    }
}

// The control's top-left corner in the window's coordinates.
QPoint WindowPosition(const ControlLayout& entry) {
    QPoint at(entry.left, entry.top);
    for (auto parent = entry.parent; parent;) {
        const ControlLayout& outer = ControlTable()[static_cast<std::size_t>(*parent)];
        at += QPoint(outer.left, outer.top);
        parent = outer.parent;
    }
    return at;
}

// The caption a person reads for an edit box: the label or radio button
// that stands on its row, nearest to its left. Null when there is none.
const ControlLayout* CaptionOf(const ControlLayout& box) {
    const ControlLayout* caption = nullptr;
    for (const ControlLayout& entry : ControlTable()) {
        if (entry.kind != ControlKind::kLabel && entry.kind != ControlKind::kRadioButton) continue;
        if (entry.parent != box.parent || *entry.startText == '\0') continue;
        const bool sameRow = entry.top < box.top + box.height && box.top < entry.top + entry.height;
        if (!sameRow || entry.left + entry.width > box.left + 2) continue;
        if (caption == nullptr || entry.left > caption->left) caption = &entry;
    }
    return caption;
}

// A caption without the colon and spaces that end it on screen.
QString SpokenName(const char* caption) {
    QString name = QString::fromUtf8(caption).trimmed();
    while (name.endsWith(QChar(u'：')) || name.endsWith(u':')) name.chop(1);
    return name.trimmed();
}

}  // namespace

QString ToQString(const Text& text) {
    const std::u16string wide = AnsiToUtf16(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

Text FromQString(const QString& text) {
    return Utf16ToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           static_cast<std::size_t>(text.size())));
}

void QtDesktopServices::PutOnClipboard(const Text& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(ToQString(text));
}

void QtDesktopServices::ShowInformation(const Text& title, const Text& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToQString(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

MainWindow::MainWindow(DesktopServices& desktop) : m_desktop(desktop) {
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    // The layout was drawn for a 12-pixel system font; a larger one would spill out of the controls.
    QFont windowFont = font();
    windowFont.setPixelSize(12);
    setFont(windowFont);
    setWindowIcon(ApplicationIcon());
    for (const ControlLayout& entry : ControlTable()) m_widgets[static_cast<std::size_t>(entry.id)] = CreateControl(entry);
    SetUpKeyboard();
    OnMainWindowCreated(*this);
}

void MainWindow::SetUpKeyboard() {
    // Tab walks the controls as the eye reads them: by rows from the top, each
    // row from the left (creation order would start at download address 3).
    std::vector<const ControlLayout*> stops;
    for (const ControlLayout& entry : ControlTable()) {
        if (Widget(entry.id)->focusPolicy() & Qt::TabFocus) stops.push_back(&entry);
    }
    std::stable_sort(stops.begin(), stops.end(), [](const ControlLayout* a, const ControlLayout* b) {
        const QPoint pa = WindowPosition(*a), pb = WindowPosition(*b);
        return std::pair(pa.y(), pa.x()) < std::pair(pb.y(), pb.x());
    });
    for (std::size_t i = 1; i < stops.size(); ++i) setTabOrder(Widget(stops[i - 1]->id), Widget(stops[i]->id));

    // A share address pasted right after start belongs in the share box.
    Widget(Control::编辑框_百度)->setFocus();
}

QWidget* MainWindow::CreateControl(const ControlLayout& entry) {
    QWidget* parent = entry.parent ? Widget(*entry.parent) : this;
    const QString text = QString::fromUtf8(entry.startText);
    QWidget* w = nullptr;
    switch (entry.kind) {
        case ControlKind::kGroupBox:
            w = new QGroupBox(text, parent);
            break;
        case ControlKind::kLabel: {
            // A wrapping label keeps all its lines inside its box.
            auto* label = entry.look.wraps ? new WrappedLabel(text, parent) : new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);  // a file name is shown as it is, never as markup
            label->setWordWrap(entry.look.wraps);
            label->setAlignment((entry.look.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
            w = label;
            break;
        }
        case ControlKind::kEditBox: {
            std::function<void()> onPressed;
            if (IsAddressBox(entry.id)) {
                onPressed = [this, id = entry.id] { OnAddressBoxPressed(*this, id, m_desktop); };
            }
            auto* edit = new PressableLineEdit(parent, std::move(onPressed));
            edit->setText(text);
            edit->setCursorPosition(0);
            if (const ControlLayout* caption = CaptionOf(entry)) edit->setAccessibleName(SpokenName(caption->startText));
            w = edit;
            break;
        }
        case ControlKind::kPushButton: {
            auto* button = new QPushButton(text, parent);
            if (entry.id == Control::按钮1) {
                connect(button, &QPushButton::clicked, this, [this] { OnParseClicked(*this); });
            } else if (entry.id == Control::按钮_复制MD5) {
                connect(button, &QPushButton::clicked, this, [this] { OnCopyMd5Clicked(*this, m_desktop); });
            }
            w = button;
            break;
        }
        case ControlKind::kRadioButton:
            w = new QRadioButton(text, parent);
            break;
    }
    w->setObjectName(QString::fromUtf8(entry.name));
    w->setGeometry(entry.left, entry.top, entry.width, entry.height);
    ApplyLook(w, entry.look);
    return w;
}

void MainWindow::ShowAtHome() {
    setFixedSize(kWindowOuterWidth, kWindowOuterHeight);
    move(kWindowLeft, kWindowTop);
    show();
    // The layout gives the outer size; take the frame, if the window system
    // draws one, off the client area.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (!frame.isEmpty()) setFixedSize(kWindowOuterWidth - frame.width(), kWindowOuterHeight - frame.height());
}

Text MainWindow::GetText(Control box) {
    if (auto* edit = qobject_cast<QLineEdit*>(Widget(box))) return FromQString(edit->text());
    return {};
}

void MainWindow::SetText(Control box, const Text& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(Widget(box))) {
        edit->setText(ToQString(text));
        // Show the beginning of a long address, as a Windows edit box does.
        edit->setCursorPosition(0);
    }
}

Text MainWindow::GetCaption(Control control) {
    QWidget* w = Widget(control);
    if (auto* label = qobject_cast<QLabel*>(w)) return FromQString(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return FromQString(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) return FromQString(group->title());
    return {};
}

void MainWindow::SetCaption(Control control, const Text& caption) {
    QWidget* w = Widget(control);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(ToQString(caption));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(ToQString(caption));
        // The parse runs on this thread without returning to the event loop;
        // paint the caption now so that "解析中..." is seen while it runs.
        button->repaint();
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(ToQString(caption));
    }
}

int MainWindow::GetChecked(Control radio) {
    if (auto* button = qobject_cast<QAbstractButton*>(Widget(radio))) return button->isChecked() ? 1 : 0;
    return 0;
}

void MainWindow::SetChecked(Control radio, int checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(Widget(radio))) button->setChecked(checked != 0);
}

}  // namespace kestrane
