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

#include <functional>

#include "app/parse_command.h"
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
    for (const ControlLayout& entry : ControlTable()) m_widgets[static_cast<std::size_t>(entry.id)] = CreateControl(entry);
    OnMainWindowCreated(*this);
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
            auto* label = new QLabel(text, parent);
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
    if (auto* edit = qobject_cast<QLineEdit*>(Widget(box))) edit->setText(ToQString(text));
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
