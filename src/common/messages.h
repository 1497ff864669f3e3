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
inline QString tableFileReadFailed()
{
    return QStringLiteral("計算情報ファイルの読み込みに失敗しました。");
}
inline QString scoreFileNotFound()
{
    return QStringLiteral("スコアファイルが見つかりません。");
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
inline QString helpFileNotFound()
{
    return QStringLiteral("ヘルプファイルが見つかりません");
}
inline QString calcInProgress()
{
    return QStringLiteral("結果計算中");
}

} // namespace norva::msg
