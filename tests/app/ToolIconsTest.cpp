// Toolbar pictures and the program's icon: the theme's where it has one, our own otherwise.
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "app/ToolIcons.h"

#include "TestSettings.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

// Pixels that are not fully transparent: a picture that failed to load has none.
int VisiblePixels(const QIcon& icon, int size)
{
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

// A tiny icon theme holding one picture, a plain red square named `name`.
void WriteTheme(const QString& root, const QString& name)
{
    QDir(root).mkpath(QStringLiteral("testtheme/16x16/actions"));
    QFile index(root + QStringLiteral("/testtheme/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=testtheme\nDirectories=16x16/actions\n\n"
                "[16x16/actions]\nSize=16\nContext=Actions\nType=Fixed\n");
    index.close();
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(root + QStringLiteral("/testtheme/16x16/actions/") + name + QStringLiteral(".png")));
}

} // namespace

TEST(ToolIcons, EveryToolbarCommandHasAPictureWithoutATheme)
{
    const QStringList savedPaths = QIcon::themeSearchPaths();
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({});
    QIcon::setThemeName(QString());

    for (int id : ToolbarLayout()) {
        if (id == 0)
            continue;
        EXPECT_GT(VisiblePixels(ToolIcons::CommandIcon(id), 16), 20) << "command " << id;
    }
    // Commands a user adds later get the general picture, never an empty button.
    EXPECT_GT(VisiblePixels(ToolIcons::CommandIcon(ID_SELECT_ALL), 16), 20);
    EXPECT_GT(VisiblePixels(ToolIcons::AppIcon(), 256), 1000);
    EXPECT_GT(VisiblePixels(ToolIcons::AppIcon(), 16), 100);

    TestSettings settings;
    CMainFrame frame;
    EXPECT_GT(VisiblePixels(frame.windowIcon(), 32), 100);
    auto* toolbar = frame.findChild<QToolBar*>(QStringLiteral("StandardToolbar"));
    ASSERT_NE(toolbar, nullptr);
    for (QAction* action : toolbar->actions()) {
        if (action->isSeparator())
            continue;
        EXPECT_GT(VisiblePixels(action->icon(), 16), 20) << action->text().toStdString();
    }
    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
}

TEST(ToolIcons, TheDesktopThemeComesFirstWhereItHasTheName)
{
    QTemporaryDir dir;
    WriteTheme(dir.path(), QStringLiteral("document-open"));
    const QStringList savedPaths = QIcon::themeSearchPaths();
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({dir.path()});
    QIcon::setThemeName(QStringLiteral("testtheme"));

    const QImage open = ToolIcons::CommandIcon(ID_FILE_OPEN).pixmap(16, 16).toImage();
    EXPECT_EQ(open.pixelColor(8, 8), QColor(Qt::red));
    // A name the theme lacks falls back to our own picture, and commands without a standard
    // name never take one from the theme.
    EXPECT_NE(ToolIcons::CommandIcon(ID_FILE_SAVE).pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    EXPECT_TRUE(ToolIcons::ThemeName(ID_EDIT_LOCK).isEmpty());
    EXPECT_EQ(ToolIcons::ThemeName(ID_EDIT_CUT), QStringLiteral("edit-cut"));

    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
}

TEST(ToolIcons, HelpAndVersionAnswerWithoutAWindow)
{
    // No display at all: a program that tried to open a window would fail here.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (const char* program : {QUORVANE_EXE, QUORVANE_CLI}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString::fromUtf8(program), {QStringLiteral("--version")});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0) << program;
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).trimmed().endsWith(QStringLiteral(" Ver2.44"))) << program;
    }
    QProcess help;
    help.setProcessEnvironment(env);
    help.start(QStringLiteral(QUORVANE_EXE), {QStringLiteral("--help"), QStringLiteral("/no/such/file")});
    ASSERT_TRUE(help.waitForFinished(20000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(help.readAllStandardOutput()).contains(QStringLiteral("--version")));
}

TEST(ToolIcons, ThePropertiesPaneButtonsEachHaveTheirOwnPicture)
{
    const QStringList savedPaths = QIcon::themeSearchPaths();
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({});
    QIcon::setThemeName(QString());
    const int ids[] = {ID_EXPAND_ALL, ID_SUM, ID_SEARCH, ID_SEARCH_PREV, ID_SEARCH_NEXT, ID_REPLACE, ID_SAME_SEARCH, ID_ADDRESS_JUMP};
    std::vector<QImage> images;
    for (int id : ids) {
        EXPECT_GT(VisiblePixels(ToolIcons::CommandIcon(id), 16), 20) << "command " << id;
        images.push_back(ToolIcons::CommandIcon(id).pixmap(16, 16).toImage());
    }
    for (size_t i = 0; i < images.size(); ++i)
        for (size_t j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i], images[j]) << ids[i] << " and " << ids[j] << " look alike";
    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
}
