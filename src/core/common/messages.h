#pragma once

#include <QString>

// The program's own texts that more than one place shows: the windows and the
// command-line program word their messages alike.
namespace norva::msg {

inline QString crlf()
{
    return QStringLiteral("\r\n");
}

inline QString titleError()
{
    return QStringLiteral("エラー");
}
inline QString titleConfirm()
{
    return QStringLiteral("確認");
}
inline QString titleCalcError()
{
    return QStringLiteral("計算エラー");
}

inline QString settingsWriteFailed()
{
    return QStringLiteral("設定ファイルの書き込みに失敗しました。");
}
inline QString settingsReadUncleanly(const QString &path, const QString &backup)
{
    return QStringLiteral("設定ファイルを正しく読み込めませんでした。") + crlf() + path + crlf()
           + crlf()
           + QStringLiteral("終了時に設定を書き込む前に、元のファイルを次の名前で残します。")
           + crlf() + backup;
}
inline QString settingsLeadToRunFile()
{
    return QStringLiteral("設定ファイルがスコアファイル、計算情報ファイルまたはプログラムそのものを"
                          "指しているため、書き込みませんでした。");
}
inline QString homeChosen(const QString &folder)
{
    return QStringLiteral("環境変数 HOME にフォルダーが設定されていないため、次のフォルダーを"
                          "ホームフォルダーとして使います。")
           + crlf() + folder;
}
inline QString tableFileReadFailed()
{
    return QStringLiteral("計算情報ファイルの読み込みに失敗しました。");
}
inline QString scoreFileNotFound()
{
    return QStringLiteral("スコアファイルが見つかりません。");
}
// What a missing score log is and where to find it, and the offer to choose
// it now: after scoreFileNotFound() and the path, at start-up and when a
// calculation meets a missing log.
inline QString scoreFileMissingGuidance(const QString &path)
{
    return scoreFileNotFound() + crlf() + path + crlf() + crlf()
           + QStringLiteral("スコアファイルは、麻雀サービスのクライアントが対局の経過と結果を"
                            "書き込むテキストファイル（mjscore.txt）か、そのコピーです。")
           + crlf() + QStringLiteral("スコアファイルを今すぐ選びますか？");
}
inline QString selectTableKinds()
{
    return QStringLiteral("計算する卓情報を選択してください。");
}
inline QString noValidData()
{
    return QStringLiteral("有効なデータがありませんでした。");
}
inline QString calcFailed()
{
    return QStringLiteral("計算できませんでした。");
}
inline QString checkSettings()
{
    return QStringLiteral("設定情報を確認してください。（不正な日付など）");
}
inline QString fileWriteFailed()
{
    return QStringLiteral("ファイルの書き込みに失敗しました。");
}
inline QString targetIsRunFile()
{
    return QStringLiteral("スコアファイル、設定ファイル、計算情報ファイルには書き込めません。")
           + crlf() + QStringLiteral("別のファイルを指定してください。");
}
inline QString targetNotRegular()
{
    return QStringLiteral("通常のファイルではないため、書き込めません。") + crlf()
           + QStringLiteral("別のファイルを指定してください。");
}
inline QString csvLossy()
{
    return QStringLiteral("Shift_JIS で表せない文字は「?」で書きました。");
}
inline QString outputWriteFailed()
{
    return QStringLiteral("標準出力に書き込めませんでした。");
}
inline QString helpFileNotFound()
{
    return QStringLiteral("ヘルプファイルが見つかりません");
}
inline QString calcInProgress()
{
    return QStringLiteral("結果計算中");
}
inline QString chooseUserName()
{
    return QStringLiteral(
        "スコアファイルにある名前から、結果を計算するユーザー名を選んでください。");
}

} // namespace norva::msg
