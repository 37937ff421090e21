// Menu, toolbar and accelerator command ids, and the enabled/checked state a handler reports.
#pragma once

// The state of one command while its menu opens or its toolbar button is refreshed.
struct CmdUI
{
    bool enabled = true;
    bool checked = false;
};

// Framework commands keep their conventional numbers so that recorded macros and keyboard
// customisation stay comparable across versions.
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_MRU_FILE1 = 57616; // six entries: 57616..57621
inline constexpr int kRecentFileCount = 6;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_WINDOW_NEW = 57648;
inline constexpr int ID_WINDOW_TILE_HORZ = 57651; // 上下に並べて表示
inline constexpr int ID_WINDOW_TILE_VERT = 57652; // 左右に並べて表示
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;
inline constexpr int ID_INDICATOR_NUM = 59138;
inline constexpr int ID_VIEW_CUSTOMIZE = 126;
inline constexpr int ID_WINDOW_MANAGER = 131;

// The program's own commands.
inline constexpr int ID_SUM = 153;                 // SUM計算 (properties pane)
inline constexpr int ID_SEARCH = 154;              // 検索 F1
inline constexpr int ID_SEARCH_NEXT = 155;         // 次へ F3
inline constexpr int ID_SEARCH_PREV = 156;         // 前へ F2
inline constexpr int ID_SAME_SEARCH = 157;         // 同一検索 (properties pane)
inline constexpr int ID_EXPAND_ALL = 158;          // expand every category (properties pane)
inline constexpr int ID_DIFF_START = 32771;        // 別ウィンドウと比較 F5
inline constexpr int ID_DIFF_END = 32772;          // 比較解除 F8
inline constexpr int ID_DIFF_NEXT = 32778;         // 次へ F7
inline constexpr int ID_DIFF_PREV = 32779;         // 前へ F6
inline constexpr int ID_REPLACE = 32784;           // 置換 F4
inline constexpr int ID_JUMP_TOP = 32791;          // ファイル先頭 Home
inline constexpr int ID_JUMP_END = 32792;          // ファイル末尾 End
inline constexpr int ID_ADDRESS_JUMP = 32793;      // アドレスジャンプ Ctrl+J
inline constexpr int ID_DELETE_REGISTRY = 32795;   // レジストリを削除して終了
inline constexpr int ID_BOOKMARK = 32800;          // ブックマーク Shift+F1
inline constexpr int ID_BOOKMARK_PREV = 32801;     // 前へ移動 Shift+F2
inline constexpr int ID_BOOKMARK_NEXT = 32802;     // 次へ移動 Shift+F3
inline constexpr int ID_BOOKMARK_CLEAR = 32803;    // クリア Shift+F4
inline constexpr int ID_EDIT_LOCK = 32810;         // 編集禁止 F12
inline constexpr int ID_SELECT_ALL = 32812;        // 全て選択 Ctrl+A
inline constexpr int ID_BYTEORDER_LITTLE = 32822;  // リトルエンディアン
inline constexpr int ID_BYTEORDER_BIG = 32823;     // ビッグエンディアン
inline constexpr int ID_SETTINGS = 32825;          // 環境設定
inline constexpr int ID_BUFFER_CLEAR = 32828;      // バッファクリア
inline constexpr int ID_CHARCODE_FIRST = 32837;    // 文字コード: 32837 + CharCode value
inline constexpr int ID_CHARCODE_ASCII = 32837;
inline constexpr int ID_CHARCODE_JIS = 32838;
inline constexpr int ID_CHARCODE_SJIS = 32839;
inline constexpr int ID_CHARCODE_EUC = 32840;
inline constexpr int ID_CHARCODE_UNICODE = 32841;
inline constexpr int ID_CHARCODE_UNICODEBE = 32842;
inline constexpr int ID_CHARCODE_UTF8 = 32843;
inline constexpr int ID_CHARCODE_EBCDIC = 32844;
inline constexpr int ID_CHARCODE_EBCDIK = 32845;
inline constexpr int ID_CHARCODE_LAST = 32845;
inline constexpr int ID_FILE_RELOAD = 32846;       // 再読み込み
inline constexpr int ID_MACRO_RECORD = 32850;      // 記録/終了
inline constexpr int ID_MACRO_PLAY = 32851;        // 再生
inline constexpr int ID_CONCAT = 32873;            // 連結
inline constexpr int ID_FOLDER_SEARCH = 32875;     // フォルダ内検索
inline constexpr int ID_FILE_PRINT = 32877;        // 印刷 (Ctrl+P shown, no accelerator)
inline constexpr int ID_COPY_AS_TEXT = 32886;      // 文字としてコピー
inline constexpr int ID_FILE_PROPERTIES = 32907;   // ファイルのプロパティ
inline constexpr int ID_BOOKMARK_OPEN_LIST = 32911; // リストを開く
inline constexpr int ID_BOOKMARK_SAVE_LIST = 32912; // リストを保存
inline constexpr int ID_DIRECT_EDIT = 32914;       // 直接編集モード
inline constexpr int ID_FIXED_INPUT = 32916;       // 定型入力
inline constexpr int ID_RANGE_OUTPUT = 32920;      // 指定範囲をファイル出力
inline constexpr int ID_PASTE_AS_NUMBER = 32922;   // 数値として貼り付け
inline constexpr int ID_WINDOW_TABS = 32940;       // タブで表示
inline constexpr int ID_FILE_PRINT_PDF = 32930;    // PDFファイルに出力

// Pane control ids.
inline constexpr int ID_PANE_STRUCT = 148;
inline constexpr int ID_PANE_OUTPUT = 149;
inline constexpr int ID_PANE_INFO = 150;
inline constexpr int ID_PANE_PROPERTIES = 151;
inline constexpr int ID_PANE_BITMAP = 152;
