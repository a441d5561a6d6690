// The Qt window, offscreen: layout, clipboard presses, the MD5 button, a
// real parse through the button, and the window as a keyboard, a screen
// reader or a Chinese reader meets it.

#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

#include "app/desktop_identity.h"
#include "app/wrapped_label.h"
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

TEST_F(MainWindowTest, FocusStartsInTheShareBoxAndTabGoesFromTopToBottom) {
    EXPECT_EQ(QApplication::focusWidget(), window->Widget(编辑框_百度));
    const Control wantOrder[] = {按钮1, 按钮_复制MD5, 编辑框_下载地址, 编辑框_下载地址2, 编辑框_下载地址3,
                                 单选框_百度网盘, 编辑框_百度};
    for (Control want : wantOrder) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), window->Widget(want)) << window->Widget(want)->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, EditBoxesAreNamedByTheirCaptions) {
    const struct {
        Control box;
        const char* name;
    } cases[] = {
        {编辑框_百度, "百度网盘_单文件地址"},
        {编辑框_下载地址, "下载地址1"},
        {编辑框_下载地址2, "下载地址2"},
        {编辑框_下载地址3, "下载地址3"},
    };
    for (const auto& c : cases) EXPECT_EQ(Edit(c.box)->accessibleName(), Q(c.name)) << c.name;
}

TEST_F(MainWindowTest, ALongAddressShowsItsBeginning) {
    const std::string address = "http://d.pcs.example/file/" + std::string(200, 'a') + "?fid=42";
    for (Control box : {编辑框_下载地址, 编辑框_下载地址2, 编辑框_下载地址3, 编辑框_百度}) {
        window->SetText(box, Text(address));
        EXPECT_EQ(Edit(box)->cursorPosition(), 0) << Edit(box)->objectName().toStdString();
    }
    // The beginning is what is drawn: the caret, at position 0, stands at the box's left edge.
    EXPECT_LT(Edit(编辑框_下载地址)->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), 10);
}

// Every line of the green notice lies inside its label, from the top of its
// ascent to the foot of its descent, and together the lines hold the whole
// text. ctest runs this again with QT_SCALE_FACTOR=1.5.
TEST_F(MainWindowTest, TheGreenNoticeShowsAllItsLinesUnclipped) {
    auto* notice = dynamic_cast<WrappedLabel*>(window->Widget(标签11));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->geometry(), QRect(16, 14, 320, 40));
    QTextLayout layout(notice->text(), notice->font(), notice);
    const QRectF box = notice->contentsRect();
    const qreal pitch = LayOutWrappedLines(layout, box.width(), box.height());
    ASSERT_GE(layout.lineCount(), 3);
    EXPECT_GE(pitch, notice->font().pixelSize());
    int shown = 0;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        SCOPED_TRACE(i);
        EXPECT_GE(line.y(), 0);
        EXPECT_LE(line.y() + line.ascent() + line.descent(), box.height());
        EXPECT_LE(line.naturalTextWidth(), box.width());
        EXPECT_EQ(line.textStart(), shown);
        shown += line.textLength();
    }
    EXPECT_EQ(shown, notice->text().size());
}

TEST_F(MainWindowTest, QtsOwnStringsSpeakChinese) {
    ASSERT_TRUE(InstallQtChineseTranslations()) << "qt6-translations-l10n is not installed";
    std::unique_ptr<QMenu> menu(Edit(编辑框_下载地址)->createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    EXPECT_TRUE(texts.join('|').contains(Q("复制(&C)"))) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.join('|').contains(Q("粘贴(&P)"))) << texts.join('|').toStdString();
    QMessageBox box(QMessageBox::NoIcon, Q("信息："), Q("复制成功！"), QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), Q("确定"));
}

TEST_F(MainWindowTest, TheWindowCarriesTheApplicationIcon) {
    EXPECT_EQ(ApplicationId(), Q("org.kestrane.Kestrane"));
    EXPECT_FALSE(window->windowIcon().pixmap(32).isNull());
}

}  // namespace
}  // namespace kestrane

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("LANGUAGE");  // the test expects Qt's strings from the translation it loads, not the locale
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
