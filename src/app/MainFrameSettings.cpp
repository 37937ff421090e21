// The main frame's 環境設定 command: the settings dialog, then the settings re-applied to every window.
#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/Messages.h"
#include "app/SettingsDlg.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"

CMainFrame::SettingsSnapshot CMainFrame::TakeSettingsSnapshot() const
{
    SettingsSnapshot snapshot;
    for (CQuorvaneDoc* doc : Documents())
        snapshot.insert(doc, SettingsGroupValues::Read(CSettingsStore::Current(), doc->SettingsGroup()));
    return snapshot;
}

void CMainFrame::OpenSettings()
{
    const SettingsSnapshot before = TakeSettingsSnapshot();
    {
        CSettingsDlg dlg(this);
        dlg.exec();
    }
    ReapplySettings(before);
}

void CMainFrame::ReapplySettings(const SettingsSnapshot& before)
{
    CQuorvaneView* active = ActiveView();
    // The active window last, so that the displays it feeds (byte order, typing mode) end up
    // showing its state.
    QList<CChildFrame*> windows = ChildFrames();
    if (CChildFrame* child = ActiveChild(); child && windows.removeOne(child))
        windows.append(child);
    for (CChildFrame* child : windows) {
        CQuorvaneDoc* doc = child->GetDocument();
        CQuorvaneView* view = child->GetActiveView();
        if (!doc || !view)
            continue;
        // Character code, typing mode, byte order and the edit lock are a window's own choice
        // after it opened: they follow the settings only when the dialog changed them for the
        // document's group.
        const SettingsGroupValues now = SettingsGroupValues::Read(CSettingsStore::Current(), doc->SettingsGroup());
        const auto old = before.constFind(doc);
        auto changed = [&](SettingId id) { return old == before.constEnd() || (*old)[id] != now[id]; };
        // Colours and the edit lock, then the font.
        doc->ReapplyGroupSettings(changed(SettingId::Editmode));
        um::Relayout::Send(view);
        if (changed(SettingId::CharCode))
            view->SetCharCode(CharCodeFromValue(now[SettingId::CharCode]));
        if (changed(SettingId::Inputmode) && view->IsInsertMode() != (now[SettingId::Inputmode] == 1))
            view->ToggleInsertMode();
        if (changed(SettingId::ByteOrder))
            view->SetByteOrder(static_cast<uint8_t>(now[SettingId::ByteOrder]));
        view->viewport()->update();
    }
    if (active)
        active->setFocus();
    UpdateCommandUI();
}
