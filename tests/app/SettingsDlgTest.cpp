// The settings dialog against a private settings file, and the settings re-applied to open views.
#include "app/ColorButton.h"
#include "app/FontBox.h"
#include "app/MainFrame.h"
#include "app/SettingsDlg.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"
#include "view/ViewFont.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QStringList Rows(QListWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

void Choose(QListWidget* list, const QString& text)
{
    list->setCurrentItem(list->findItems(text, Qt::MatchExactly).value(0));
}

int CountPixels(const QImage& img, const QColor& c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, y) == c;
    return n;
}

} // namespace

TEST(SettingsDlg, GroupsAreAddedSavedAndDeletedWithTheShownValues)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    settings->SetMenuBarColor(0x00F0E0D0);
    settings->WriteDefaultGroup(); // what the first start writes
    CSettingsDlg dlg(nullptr, settings.store.get());

    // A first start: one group with the defaults.
    EXPECT_EQ(Rows(dlg.GroupList()), QStringList{"*.*"});
    EXPECT_EQ(dlg.PatternEdit()->text(), "*.*");
    EXPECT_EQ(dlg.Tabs()->tabText(0), "一般");
    EXPECT_EQ(dlg.Tabs()->tabText(1), "配色");
    EXPECT_TRUE(dlg.Check(SettingId::Backup)->isChecked());
    EXPECT_FALSE(dlg.Check(SettingId::CursorRestore)->isChecked());
    EXPECT_EQ(dlg.Choice(SettingId::CharCode)->currentText(), "Shift-JIS");
    EXPECT_EQ(dlg.Choice(SettingId::Inputmode)->currentText(), "上書き");
    EXPECT_EQ(dlg.Choice(SettingId::ByteOrder)->currentText(), "リトルエンディアン");
    EXPECT_EQ(dlg.Choice(SettingId::Editmode)->currentText(), "編集許可");
    EXPECT_EQ(dlg.FontSizeBox()->value(), 14);
    EXPECT_EQ(dlg.FontSizeBox()->minimum(), 6);
    EXPECT_EQ(dlg.FontSizeBox()->maximum(), 72);
    EXPECT_EQ(dlg.ColorButton(0)->Color(), 0x000000u);   // address bar text
    EXPECT_EQ(dlg.ColorButton(1)->Color(), 0xF0E0D0u);   // address bar background: menu-bar colour
    EXPECT_EQ(dlg.ColorButton(7)->Color(), 0xC88CFFu);   // search background
    EXPECT_EQ(dlg.ColorButton(19)->Color(), 0xF1907Cu);  // structure selection background
    EXPECT_EQ(dlg.Preview(3)->palette().color(QPalette::Window), CColorButton::ToQColor(0xC88CFF));
    EXPECT_EQ(dlg.Preview(3)->text(), "F4");
    // Every control has its label as accessible name.
    EXPECT_EQ(dlg.FontSizeBox()->accessibleName(), "フォントサイズ");
    EXPECT_EQ(dlg.ColorButton(7)->accessibleName(), "検索 背景色");

    // A new pattern with UTF-8: 追加 lists it in order and writes all 29 values into it.
    dlg.PatternEdit()->setText("*.dat");
    dlg.Choice(SettingId::CharCode)->setCurrentIndex(6);
    dlg.OnAdd();
    dlg.PatternEdit()->setText("*.bin");
    dlg.OnAdd();
    EXPECT_EQ(Rows(dlg.GroupList()), (QStringList{"*.*", "*.bin", "*.dat"}));
    for (int i = 0; i < kSettingCount; ++i)
        EXPECT_TRUE(settings->Value("Settings/ExtSetting/*.dat/" + CSettingsStore::ValueName(SettingId(i))).isValid()) << i;
    EXPECT_EQ(settings->GetGroupSetting(SettingId::CharCode, "*.dat"), 6);
    EXPECT_EQ(settings->GetGroupSetting(SettingId::CharCode, "*.*"), 2);
    // The same group in other letters is the same key: no second entry, the group is overwritten.
    dlg.PatternEdit()->setText("*.DAT");
    dlg.Choice(SettingId::CharCode)->setCurrentIndex(7);
    dlg.OnAdd();
    EXPECT_EQ(Rows(dlg.GroupList()), (QStringList{"*.*", "*.bin", "*.dat"}));
    EXPECT_EQ(settings->GetGroupSetting(SettingId::CharCode, "*.dat"), 7);

    // Choosing a group shows it; a colour change shows in the preview at once and 保存 writes
    // only into the chosen group.
    Choose(dlg.GroupList(), "*.dat");
    EXPECT_EQ(dlg.PatternEdit()->text(), "*.dat");
    EXPECT_EQ(dlg.Choice(SettingId::CharCode)->currentText(), "EBCDIC");
    dlg.ColorButton(7)->ChooseColor(0x123456);
    EXPECT_EQ(dlg.Preview(3)->palette().color(QPalette::Window), CColorButton::ToQColor(0x123456));
    dlg.PatternEdit()->setText("ignored by save");
    dlg.OnSave();
    EXPECT_EQ(settings->GetGroupSetting(SettingId::Color_FindBk, "*.dat"), 0x123456);
    EXPECT_EQ(settings->GetGroupSetting(SettingId::Color_FindBk, "*.*"), 0xC88CFF);
    EXPECT_FALSE(settings->GroupExists("ignored by save"));
    // A change not saved is gone when the group is chosen again.
    dlg.ColorButton(7)->ChooseColor(0x000001);
    Choose(dlg.GroupList(), "*.*");
    Choose(dlg.GroupList(), "*.dat");
    EXPECT_EQ(dlg.ColorButton(7)->Color(), 0x123456u);

    // 削除: never "*.*"; another group goes from the list and the store, its values stay shown.
    Choose(dlg.GroupList(), "*.*");
    dlg.OnDelete();
    EXPECT_TRUE(settings->GroupExists("*.*"));
    Choose(dlg.GroupList(), "*.dat");
    dlg.OnDelete();
    EXPECT_EQ(Rows(dlg.GroupList()), (QStringList{"*.*", "*.bin"}));
    EXPECT_FALSE(settings->GroupExists("*.dat"));
    EXPECT_EQ(dlg.Choice(SettingId::CharCode)->currentText(), "EBCDIC");
    EXPECT_TRUE(prompter.asked.empty());

    // A pattern that cannot be a key of the store is refused with a message.
    dlg.PatternEdit()->setText("*/x");
    dlg.OnAdd();
    EXPECT_EQ(Rows(dlg.GroupList()), (QStringList{"*.*", "*.bin"}));
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "エラー");
    // An empty pattern does nothing.
    dlg.PatternEdit()->clear();
    dlg.OnAdd();
    EXPECT_EQ(settings->GroupNames().size(), 2);
}

TEST(SettingsDlg, UnreadableValuesShowAsDefaultsAndAnUnknownFontNameIsKept)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    settings->WriteDefaultGroup();
    // Hand-edited or from another version.
    settings->SetValue("Settings/ExtSetting/*.*/CharCode", 42);
    settings->SetValue("Settings/ExtSetting/*.*/FontSize", "big");
    settings->SetValue("Settings/ExtSetting/*.*/Backup", 7);
    settings->SetValue("Settings/ExtSetting/*.*/Color_TextBk", -5);
    settings->SetValue("Settings/ExtSetting/*.*/FontName", "NoSuchFaceAnywhere");
    CSettingsDlg dlg(nullptr, settings.store.get());
    EXPECT_EQ(dlg.Choice(SettingId::CharCode)->currentText(), "Shift-JIS");
    EXPECT_EQ(dlg.FontSizeBox()->value(), 14);
    EXPECT_TRUE(dlg.Check(SettingId::Backup)->isChecked());
    EXPECT_EQ(dlg.ColorButton(3)->Color(), 0xFFFFFFu);
    // The face the windows use instead is shown; the stored one is not lost by saving.
    EXPECT_GE(dlg.FontBox()->currentIndex(), 0);
    EXPECT_TRUE(dlg.FontNote()->text().contains("NoSuchFaceAnywhere"));
    // Saving writes values the program reads back, and keeps the face it could not show.
    dlg.OnSave();
    EXPECT_EQ(settings->Value("Settings/ExtSetting/*.*/CharCode").toInt(), 2);
    EXPECT_EQ(settings->Value("Settings/ExtSetting/*.*/FontSize").toInt(), 14);
    EXPECT_EQ(settings->Value("Settings/ExtSetting/*.*/Color_TextBk").toInt(), 0xFFFFFF);
    EXPECT_EQ(settings->GetGroupFontName("*.*"), "NoSuchFaceAnywhere");
    // An installed fixed-pitch face is found by the beginning of its name, in any case.
    if (dlg.FontBox()->count() > 0) {
        const QString face = dlg.FontBox()->itemText(0);
        EXPECT_TRUE(dlg.FontBox()->SelectStartingWith(face.left(3).toLower()));
        EXPECT_TRUE(dlg.FontBox()->SelectedName().startsWith(face.left(3)));
    }
}

TEST(SettingsDlg, ClosingReappliesColoursCodeAndLockToOpenWindows)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    settings->WriteDefaultGroup();
    auto frame = std::make_unique<CMainFrame>();
    frame->resize(900, 600);
    frame->show();
    ASSERT_NE(frame->OpenDocumentFile(files.Write("x.txt", QByteArray(64, 'a'))), nullptr);
    CQuorvaneView* txt = frame->ActiveView();
    ASSERT_NE(frame->OpenDocumentFile(files.Write("y.dat", QByteArray(64, 'a'))), nullptr);
    CQuorvaneView* dat = frame->ActiveView();
    txt->SetCharCode(CharCode::Utf8); // a view's own choice
    const QColor red(255, 0, 0);
    EXPECT_EQ(CountPixels(dat->grab().toImage(), red), 0);

    const CMainFrame::SettingsSnapshot before = frame->TakeSettingsSnapshot();
    {
        CSettingsDlg dlg(frame.get());
        dlg.PatternEdit()->setText("*.dat");
        dlg.ColorButton(3)->ChooseColor(0x0000FF); // data background red
        dlg.Choice(SettingId::CharCode)->setCurrentIndex(4); // Unicode
        dlg.Choice(SettingId::Editmode)->setCurrentIndex(1); // 編集禁止
        dlg.FontSizeBox()->setValue(24);
        ASSERT_GT(dlg.FontBox()->count(), 1); // set-up installs fixed-pitch fonts
        // A face other than the one shown in place of the missing FixedSys.
        dlg.FontBox()->setCurrentIndex(dlg.FontBox()->currentIndex() == 0 ? 1 : 0);
        dlg.OnAdd();
    }
    frame->ReapplySettings(before);
    // The .dat window takes its new group: red data area, Unicode, locked, the larger font.
    EXPECT_GT(CountPixels(dat->grab().toImage(), red), 1000);
    EXPECT_EQ(dat->GetCharCode(), CharCode::Unicode);
    EXPECT_EQ(dat->GetDocument()->EditLock(), 1u);
    EXPECT_TRUE(dat->UsesRequestedFont());
    EXPECT_EQ(dat->ViewFont().pixelSize(), 32); // 24 points at 96 pixels per inch
    // The .txt window's group did not change: its colours and its own code stay.
    EXPECT_EQ(CountPixels(txt->grab().toImage(), red), 0);
    EXPECT_EQ(txt->GetCharCode(), CharCode::Utf8);
    EXPECT_EQ(txt->GetDocument()->EditLock(), 0u);
}

TEST(SettingsDlg, JapaneseFixedFacesAreListedAndAMissingFaceShowsItsStandIn)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    settings->WriteDefaultGroup(); // FontName "FixedSys", which this system does not have
    CSettingsDlg dlg(nullptr, settings.store.get());

    // The Japanese fixed-pitch faces that set-up installs are offered.
    QStringList faces;
    for (int i = 0; i < dlg.FontBox()->count(); ++i)
        faces << dlg.FontBox()->itemText(i);
    const bool japanese = faces.contains("IPAGothic") || faces.contains("IPAゴシック")
                       || faces.contains("Noto Sans Mono CJK JP");
    EXPECT_TRUE(japanese) << faces.join(", ").toStdString();
    EXPECT_FALSE(faces.contains("IPAPGothic")) << "a proportional face";

    // The face the windows use in place of FixedSys is shown, with a note, at the same size.
    bool requested = true;
    const QFont standIn = MakeViewFont("FixedSys", 14, requested);
    ASSERT_FALSE(requested);
    EXPECT_EQ(dlg.FontBox()->SelectedName(), QFontInfo(standIn).family());
    EXPECT_TRUE(dlg.FontNote()->isVisibleTo(&dlg));
    EXPECT_TRUE(dlg.FontNote()->text().contains("FixedSys"));
    // Choosing that face at that size keeps the rows as they are.
    bool used = false;
    const QFont chosen = MakeViewFont(dlg.FontBox()->SelectedName(), dlg.FontSizeBox()->value(), used);
    EXPECT_TRUE(used);
    EXPECT_EQ(chosen.pixelSize(), standIn.pixelSize());
    // Saved without choosing another face, the stored name stays.
    dlg.Check(SettingId::CursorRestore)->setChecked(true);
    dlg.OnSave();
    EXPECT_EQ(settings->GetGroupFontName("*.*"), "FixedSys");

    // A listed Japanese face is taken by the view as it is.
    for (const QString& face : {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")}) {
        if (!faces.contains(face))
            continue;
        dlg.FontBox()->SelectStartingWith(face);
        EXPECT_FALSE(dlg.FontNote()->isVisibleTo(&dlg)) << "the note is about the stand-in only";
        dlg.OnSave();
        EXPECT_EQ(settings->GetGroupFontName("*.*"), face);
        bool taken = false;
        EXPECT_EQ(QFontInfo(MakeViewFont(face, 14, taken)).family(), face);
        EXPECT_TRUE(taken) << face.toStdString();
    }
}

TEST(SettingsDlg, AddSelectsTheNewGroupSoThatSaveGoesToIt)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    settings->WriteDefaultGroup();
    CSettingsDlg dlg(nullptr, settings.store.get());
    ASSERT_EQ(dlg.GroupList()->currentItem()->text(), "*.*");

    dlg.PatternEdit()->setText("*.txt");
    dlg.OnAdd();
    ASSERT_NE(dlg.GroupList()->currentItem(), nullptr);
    EXPECT_EQ(dlg.GroupList()->currentItem()->text(), "*.txt");
    EXPECT_TRUE(dlg.GroupList()->currentItem()->isSelected());
    // 保存 now writes the new group, not the default one.
    dlg.Choice(SettingId::CharCode)->setCurrentIndex(6);
    dlg.OnSave();
    EXPECT_EQ(settings->GetGroupSetting(SettingId::CharCode, "*.txt"), 6);
    EXPECT_EQ(settings->GetGroupSetting(SettingId::CharCode, "*.*"), 2);
    // An existing group named in other letters is chosen too.
    dlg.PatternEdit()->setText("*.TXT");
    dlg.OnAdd();
    EXPECT_EQ(dlg.GroupList()->currentItem()->text(), "*.txt");
}

TEST(SettingsDlg, ClosingKeepsDirectEditAndF12LocksUnlessTheGroupLockChanged)
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    settings->WriteDefaultGroup();
    auto frame = std::make_unique<CMainFrame>();
    frame->resize(900, 600);
    frame->show();
    ASSERT_NE(frame->OpenDocumentFile(files.Write("memory.bin", QByteArray(64, 'a'))), nullptr);
    CQuorvaneDoc* memory = frame->ActiveDocument();
    memory->ToggleEditLock(); // F12
    ASSERT_EQ(memory->EditLock(), 1u);
    prompter.answers = {PromptAnswer::Ok}; // the direct edit warning
    frame->OpenDroppedFiles({QUrl::fromLocalFile(files.Write("direct.bin", QByteArray(64, 'd')))}, true);
    CQuorvaneDoc* direct = frame->ActiveDocument();
    ASSERT_TRUE(direct->IsDirectEdit());
    ASSERT_EQ(direct->EditLock(), 1u);

    // The dialog closes with the "*.*" group's 編集許可 unchanged: before, both locks fell.
    frame->ReapplySettings(frame->TakeSettingsSnapshot());
    EXPECT_EQ(memory->EditLock(), 1u);
    EXPECT_EQ(direct->EditLock(), 1u);

    // The group's lock switched on and off again: the document in memory follows the change,
    // the direct-edit one keeps its lock (its edits go straight to disk).
    CMainFrame::SettingsSnapshot before = frame->TakeSettingsSnapshot();
    settings->SetGroupSetting(SettingId::Editmode, 1, "*.*");
    frame->ReapplySettings(before);
    before = frame->TakeSettingsSnapshot();
    settings->SetGroupSetting(SettingId::Editmode, 0, "*.*");
    frame->ReapplySettings(before);
    EXPECT_EQ(memory->EditLock(), 0u);
    EXPECT_EQ(direct->EditLock(), 1u);
    // Unlocked by the user, it stays unlocked through the dialog too.
    direct->ToggleEditLock();
    frame->ReapplySettings(frame->TakeSettingsSnapshot());
    EXPECT_EQ(direct->EditLock(), 0u);
}
