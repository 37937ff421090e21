// The frame's road to the properties pane: the commands it forwards there and their menu state.
#pragma once

class CMainFrame;
class CPropertiesWnd;
struct CmdUI;

// The properties pane of the frame (null before it exists).
CPropertiesWnd* PropertiesPaneOf(const CMainFrame* frame);
// 検索, 前へ, 次へ, 置換 and アドレスジャンプ (and the pane's own toolbar commands): true when the
// pane decides the command's state or runs it.
bool PropertiesPaneUpdate(const CMainFrame* frame, int id, CmdUI& ui);
bool PropertiesPaneCommand(CMainFrame* frame, int id);
