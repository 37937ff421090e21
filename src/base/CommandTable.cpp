// The program's command table: menu texts, accelerators, prompts and tooltips.
#include "base/CommandTable.h"

#include "base/CommandIds.h"

namespace {

std::vector<CommandInfo> BuildTable()
{
    auto S = [](const char* utf8) { return QString::fromUtf8(utf8); };
    // id, text, accelerator, prompt, tooltip. Framework commands carry the framework's usual
    // prompts; the program's own carry the texts of its string table.
    return {
        {ID_FILE_NEW, S("新規作成(&N)\tCtrl+N"), S("Ctrl+N"), S("新規にドキュメントを作成します"), S("新規作成")},
        {ID_FILE_OPEN, S("開く(&O)...\tCtrl+O"), S("Ctrl+O"), S("既存のドキュメントを開きます"), S("開く")},
        {ID_DIRECT_EDIT, S("直接編集モード(&D)..."), {}, S("ファイルを直接編集"), S("直接編集モード")},
        {ID_FILE_CLOSE, S("閉じる(&C)"), {}, S("作業中のドキュメントを閉じます"), S("閉じる")},
        {ID_FILE_SAVE, S("上書き保存(&S)\tCtrl+S"), S("Ctrl+S"), S("作業中のドキュメントを保存します"), S("上書き保存")},
        {ID_FILE_SAVE_AS, S("名前を付けて保存(&A)..."), {}, S("作業中のドキュメントを新しい名前で保存します"), S("名前を付けて保存")},
        {ID_FILE_RELOAD, S("再読み込み(&R)"), {}, S("ファイルを再読み込み"), {}},
        {ID_RANGE_OUTPUT, S("指定範囲をファイル出力(&T)"), {}, S("指定した範囲をファイルに出力"), {}},
        {ID_FILE_PRINT, S("印刷(&P)...\tCtrl+P"), S("Ctrl+P"), S("印刷"), {}},
        {ID_FILE_PRINT_PREVIEW, S("印刷プレビュー(&V)"), {}, S("印刷イメージを表示"), S("印刷プレビュー")},
        {ID_FILE_PRINT_PDF, S("PDFファイルに出力(&E)..."), {}, S("印刷イメージをPDFファイルに出力"), {}},
        {ID_DELETE_REGISTRY, S("レジストリを削除して終了"), {}, S("アンインストール用(HKEY_CURRENT_USER\\Software\\Pellamy\\)"), {}},
        {ID_APP_EXIT, S("アプリケーションの終了(&X)"), {}, S("アプリケーションを終了し、ドキュメントの保存を指示します"), S("終了")},

        {ID_EDIT_UNDO, S("元に戻す(&U)\tCtrl+Z"), S("Ctrl+Z"), S("直前に行った動作を元に戻します"), S("元に戻す")},
        {ID_EDIT_REDO, S("やり直し(&R)\tCtrl+Y"), S("Ctrl+Y"), S("直前に行った動作を繰り返します"), S("やり直し")},
        {ID_EDIT_CUT, S("切り取り(&T)\tCtrl+X"), S("Ctrl+X"), S("選択範囲を切り取って、クリップボードに移動します"), S("切り取り")},
        {ID_EDIT_COPY, S("コピー(&C)\tCtrl+C"), S("Ctrl+C"), S("選択範囲をコピーして、クリップボードに保存します"), S("コピー")},
        {ID_COPY_AS_TEXT, S("文字としてコピー(&S)\t"), {}, S("16進数を文字としてクリップボードに保存"), S("文字としてコピー")},
        {ID_EDIT_PASTE, S("貼り付け(&P)\tCtrl+V"), S("Ctrl+V"), S("クリップボードの内容を挿入します"), S("貼り付け")},
        {ID_PASTE_AS_NUMBER, S("数値として貼り付け(&B)"), {}, S("16進数文字をデータとして貼り付け"), S("数値として貼り付け")},
        {ID_SELECT_ALL, S("全て選択(&A)\tCtrl+A"), S("Ctrl+A"), {}, S("全て選択")},
        {ID_CONCAT, S("連結(&L)..."), {}, S("ファイルを連結"), {}},
        {ID_FIXED_INPUT, S("定型入力(&F)..."), {}, {}, {}},
        {ID_EDIT_LOCK, S("編集禁止(&N)"), S("F12"), S("読み取り専用"), S("編集禁止")},
        {ID_BUFFER_CLEAR, S("バッファクリア(&D)..."), {}, S("Undo/Redoバッファを削除"), {}},

        {ID_SEARCH, S("検索(&F)\tF1"), S("F1"), {}, S("検索")},
        {ID_SEARCH_PREV, S("前へ(&P)\tF2"), S("F2"), S("上方向へ検索"), S("前へ")},
        {ID_SEARCH_NEXT, S("次へ(&N)\tF3"), S("F3"), S("下方向へ検索"), S("次へ")},
        {ID_REPLACE, S("置換(&R)\tF4"), S("F4"), S("検索データを置換"), S("置換")},
        {ID_JUMP_TOP, S("ファイル先頭(&S)\tHome"), S("Home"), S("ファイル先頭へ移動"), S("先頭へ")},
        {ID_JUMP_END, S("ファイル末尾(&E)\tEnd"), S("End"), S("ファイル末尾へ移動"), S("末尾へ")},
        {ID_ADDRESS_JUMP, S("アドレスジャンプ(&J)\tCtrl+J"), S("Ctrl+J"), S("指定アドレスへ移動"), S("アドレスジャンプ")},
        {ID_BOOKMARK_OPEN_LIST, S("リストを開く(&O)..."), {}, S("ブックマークリストを開く"), S("リスト開く")},
        {ID_BOOKMARK_SAVE_LIST, S("リストを保存(&S)..."), {}, S("ブックマークリストを保存"), S("リスト保存")},
        {ID_BOOKMARK, S("ブックマーク(&B)\tShift+F1"), S("Shift+F1"), S("現在位置にブックマークを追加/削除します"), S("ブックマーク")},
        {ID_BOOKMARK_PREV, S("前へ移動(&I)\tShift+F2"), S("Shift+F2"), S("前のブックマークへ移動"), S("前へ移動")},
        {ID_BOOKMARK_NEXT, S("次へ移動(&H)\tShift+F3"), S("Shift+F3"), S("次のブックマークへ移動"), S("次へ移動")},
        {ID_BOOKMARK_CLEAR, S("クリア(&D)\tShift+F4"), S("Shift+F4"), S("全てのブックマークを削除"), S("クリア")},
        {ID_FOLDER_SEARCH, S("フォルダ内検索(&G)..."), {}, S("複数のファイルを検索します"), {}},

        {ID_VIEW_STATUS_BAR, S("ステータス バー(&S)"), {}, S("ステータス バーの表示/非表示を切り替えます"), S("ステータス バーの表示/非表示")},
        {ID_CHARCODE_ASCII, S("ASCII(&A)"), {}, {}, {}},
        {ID_CHARCODE_JIS, S("JIS(&J)"), {}, {}, {}},
        {ID_CHARCODE_SJIS, S("Shift-JIS(&S)"), {}, {}, {}},
        {ID_CHARCODE_EUC, S("EUC(&E)"), {}, {}, {}},
        {ID_CHARCODE_UNICODE, S("Unicode(&L)"), {}, {}, {}},
        {ID_CHARCODE_UNICODEBE, S("UnicodeBE(&B)"), {}, {}, {}},
        {ID_CHARCODE_UTF8, S("UTF-8(&U)"), {}, {}, {}},
        {ID_CHARCODE_EBCDIC, S("EBCDIC(&C)"), {}, {}, {}},
        {ID_CHARCODE_EBCDIK, S("EBCDIK(&K)"), {}, {}, {}},
        {ID_BYTEORDER_LITTLE, S("リトルエンディアン(&L)"), {}, {}, {}},
        {ID_BYTEORDER_BIG, S("ビッグエンディアン(&B)"), {}, {}, {}},
        {ID_FILE_PROPERTIES, S("ファイルのプロパティ(&P)..."), {}, S("ファイルのプロパティを開きます。"), S("ファイルのプロパティ")},
        {ID_SETTINGS, S("環境設定(&A)..."), {}, {}, {}},

        {ID_DIFF_START, S("別ウィンドウと比較(&D)...\tF5"), S("F5"), S("別ウィンドウと比較"), S("ウィンドウ比較")},
        {ID_DIFF_PREV, S("前へ(&F)\tF6"), S("F6"), S("前の位置"), S("前へ")},
        {ID_DIFF_NEXT, S("次へ(&N)\tF7"), S("F7"), S("次の位置"), S("次へ")},
        {ID_DIFF_END, S("比較解除(&R)\tF8"), S("F8"), {}, S("比較解除")},

        {ID_WINDOW_NEW, S("新しいウィンドウを開く(&N)"), {}, S("作業中のウィンドウを複製して表示します"), S("新しいウィンドウ")},
        {ID_WINDOW_TILE_VERT, S("左右に並べて表示(&V)"), {}, S("ウィンドウを左右に並べて表示します"), S("左右に並べて表示")},
        {ID_WINDOW_TILE_HORZ, S("上下に並べて表示(&H)"), {}, S("ウィンドウを上下に並べて表示します"), S("上下に並べて表示")},
        {ID_WINDOW_TABS, S("タブで表示(&T)"), {}, S("ウィンドウをタブで表示します"), S("タブで表示")},
        {ID_WINDOW_MANAGER, S("ウィンドウ(&W)..."), {}, S("開いているウィンドウの一覧を表示します"), {}},

        {ID_MACRO_RECORD, S("記録/終了(&R)"), {}, S("キーイベントを記録/終了"), S("マクロ記録/終了")},
        {ID_MACRO_PLAY, S("再生(&S)"), {}, S("キーイベント再生"), S("マクロ再生")},

        {ID_APP_ABOUT, S("バージョン情報(&A)..."), {}, S("プログラム情報、バージョン、著作権を表示します"), S("バージョン情報")},
    };
}

} // namespace

const std::vector<CommandInfo>& AllCommands()
{
    static const std::vector<CommandInfo> table = BuildTable();
    return table;
}

const CommandInfo* FindCommand(int id)
{
    for (const CommandInfo& c : AllCommands())
        if (c.id == id)
            return &c;
    return nullptr;
}

const std::vector<int>& ToolbarLayout()
{
    static const std::vector<int> layout = {
        ID_FILE_NEW, ID_FILE_OPEN, ID_DIRECT_EDIT, ID_FILE_SAVE, ID_FILE_SAVE_AS, 0,
        ID_FILE_PRINT, 0,
        ID_EDIT_LOCK, ID_FILE_PROPERTIES, 0,
        ID_EDIT_CUT, ID_EDIT_COPY, ID_COPY_AS_TEXT, ID_EDIT_PASTE, ID_PASTE_AS_NUMBER, 0,
        ID_EDIT_UNDO, ID_EDIT_REDO, 0,
        ID_FOLDER_SEARCH, 0,
        ID_DIFF_START, ID_DIFF_END, ID_DIFF_PREV, ID_DIFF_NEXT, 0,
        ID_JUMP_TOP, ID_JUMP_END, 0,
        ID_BOOKMARK_OPEN_LIST, ID_BOOKMARK_SAVE_LIST, ID_BOOKMARK, ID_BOOKMARK_PREV, ID_BOOKMARK_NEXT,
        ID_BOOKMARK_CLEAR, 0,
        ID_MACRO_RECORD, ID_MACRO_PLAY,
    };
    return layout;
}
