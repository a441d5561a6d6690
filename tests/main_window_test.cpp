// The Qt window, offscreen: layout, clipboard presses, the MD5 button and a
// real parse through the button.

#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "platform/code_page.h"
#include "loopback/loopback_server.h"

namespace kestrane {
namespace {

using enum Control;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<MainWindow>(desktop);
        window->ShowAtHome();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QGuiApplication::clipboard()->setText(Q("before"));
    }
    QLineEdit* Edit(Control c) { return qobject_cast<QLineEdit*>(window->Widget(c)); }
    QString Clipboard() { return QGuiApplication::clipboard()->text(); }

    // Closes the next modal box once it is up, remembering its title and text.
    void CloseNextBox() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return CloseNextBox();
            boxTitle = box->windowTitle();
            boxText = box->text();
            boxIcon = box->icon();
            boxModality = box->windowModality();
            box->accept();
        });
    }

    QtDesktopServices desktop;
    std::unique_ptr<MainWindow> window;
    QString boxTitle, boxText;
    QMessageBox::Icon boxIcon = QMessageBox::Critical;
    Qt::WindowModality boxModality = Qt::NonModal;
};

TEST_F(MainWindowTest, EveryControlStandsWhereTheLayoutPutsIt) {
    EXPECT_EQ(window->windowTitle(), Q("Kestrane"));
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(50, 50));
    EXPECT_EQ(window->frameGeometry().size(), QSize(379, 449));

    int order = 0;
    for (const ControlLayout& entry : ControlTable()) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(static_cast<int>(entry.id), order++);
        QWidget* w = window->Widget(entry.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), Q(entry.name));
        EXPECT_EQ(w->geometry(), QRect(entry.left, entry.top, entry.width, entry.height));
        EXPECT_EQ(w->parentWidget(), entry.parent ? window->Widget(*entry.parent) : window.get());
        if (entry.kind == ControlKind::kEditBox) {
            EXPECT_NE(qobject_cast<QLineEdit*>(w), nullptr);
        }
    }
    // Creation order shows in the order of the window's own children.
    QList<QWidget*> topLevel;
    for (QObject* child : window->children()) {
        if (auto* w = qobject_cast<QWidget*>(child)) topLevel.push_back(w);
    }
    QList<QWidget*> wantTopLevel;
    for (const ControlLayout& entry : ControlTable()) {
        if (!entry.parent) wantTopLevel.push_back(window->Widget(entry.id));
    }
    EXPECT_EQ(topLevel, wantTopLevel);
}

TEST_F(MainWindowTest, StartTextsColoursAndFonts) {
    auto* notice = qobject_cast<QLabel*>(window->Widget(标签11));
    EXPECT_TRUE(notice->text().startsWith(Q("     2013.10.7日发现  百度网盘")));
    EXPECT_TRUE(notice->wordWrap());
    EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(qobject_cast<QLabel*>(window->Widget(标签10))->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    auto* banner = qobject_cast<QLabel*>(window->Widget(标签2));
    EXPECT_EQ(banner->text(), Q("【本软件仅供学习使用！】"));
    EXPECT_EQ(banner->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_EQ(banner->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_TRUE(banner->autoFillBackground());
    EXPECT_TRUE(banner->font().bold());
    EXPECT_EQ(banner->font().pixelSize(), 12);
    EXPECT_TRUE(banner->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(qobject_cast<QGroupBox*>(window->Widget(分组框1))->title(), Q("文件属性"));
    EXPECT_EQ(qobject_cast<QLabel*>(window->Widget(标签7))->text(), Q("大  小："));
    EXPECT_EQ(qobject_cast<QPushButton*>(window->Widget(按钮1))->text(), Q("解析"));
    EXPECT_TRUE(qobject_cast<QRadioButton*>(window->Widget(单选框_百度网盘))->isChecked());
    EXPECT_EQ(window->GetChecked(单选框_百度网盘), 1);
}

TEST_F(MainWindowTest, PressingAnAddressBoxCopiesItsText) {
    window->SetText(编辑框_下载地址2, Text::FromUtf8("http://h/中"));
    QTest::mousePress(Edit(编辑框_下载地址2), Qt::LeftButton);
    EXPECT_EQ(Clipboard(), Q("http://h/中"));
    EXPECT_TRUE(Edit(编辑框_下载地址2)->hasFocus());

    window->SetText(编辑框_下载地址, Text("http://"));
    QTest::mousePress(Edit(编辑框_下载地址), Qt::LeftButton);
    EXPECT_EQ(Clipboard(), Q("http://"));
}

TEST_F(MainWindowTest, PressesThatCopyNothing) {
    QTest::mousePress(Edit(编辑框_下载地址3), Qt::LeftButton);  // empty box
    EXPECT_EQ(Clipboard(), Q("before"));
    EXPECT_TRUE(Edit(编辑框_下载地址3)->hasFocus());
    window->SetText(编辑框_百度, Text("http://share/"));
    QTest::mousePress(Edit(编辑框_百度), Qt::LeftButton);  // not an address box
    EXPECT_EQ(Clipboard(), Q("before"));
    window->SetText(编辑框_下载地址, Text("x"));
    QTest::mousePress(Edit(编辑框_下载地址), Qt::RightButton);
    EXPECT_EQ(Clipboard(), Q("before"));
}

TEST_F(MainWindowTest, CopyMd5CopiesEvenAnEmptyLabelAndSaysSo) {
    CloseNextBox();
    QTest::mouseClick(window->Widget(按钮_复制MD5), Qt::LeftButton);
    EXPECT_EQ(Clipboard(), QString());
    EXPECT_EQ(boxTitle, Q("信息："));
    EXPECT_EQ(boxText, Q("复制成功！"));
    EXPECT_EQ(boxIcon, QMessageBox::NoIcon);
    EXPECT_EQ(boxModality, Qt::ApplicationModal);

    window->SetCaption(标签_MD5, Text("0123456789abcdef0123456789abcdef"));
    CloseNextBox();
    QTest::mouseClick(window->Widget(按钮_复制MD5), Qt::LeftButton);
    EXPECT_EQ(Clipboard(), Q("0123456789abcdef0123456789abcdef"));
}

TEST_F(MainWindowTest, LabelsShowMarkupAsPlainText) {
    window->SetCaption(标签_文件名, Text("<b>x</b>"));
    EXPECT_EQ(qobject_cast<QLabel*>(window->Widget(标签_文件名))->textFormat(), Qt::PlainText);
    EXPECT_EQ(window->GetCaption(标签_文件名), Text("<b>x</b>"));
}

TEST_F(MainWindowTest, TheParseButtonParsesALoopbackPage) {
    loopback::PageServer server;
    server.SetPage("/s/1", R"(;;_dlink="http://127.0.0.9/f?a=1";if)");
    Edit(编辑框_百度)->setText(QString::fromStdString(server.Url("/s/1")));
    QTest::mouseClick(window->Widget(按钮1), Qt::LeftButton);
    EXPECT_EQ(Edit(编辑框_下载地址)->text(), Q("http://127.0.0.9/f?a=1"));
    EXPECT_EQ(Edit(编辑框_百度)->text(), QString());
    EXPECT_EQ(qobject_cast<QPushButton*>(window->Widget(按钮1))->text(), Q("解析"));
}

}  // namespace
}  // namespace kestrane

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
