#include "core/common/error.h"

namespace norva {

QString describe(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::Overflow:
        return QStringLiteral("オーバーフローしました。");
    case ErrorKind::SubscriptOutOfRange:
        return QStringLiteral("インデックスが有効範囲にありません。");
    case ErrorKind::TypeMismatch:
        return QStringLiteral("型が一致しません。");
    case ErrorKind::DivisionByZero:
        return QStringLiteral("0 で除算しました。");
    case ErrorKind::InvalidArgument:
        return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case ErrorKind::FileNotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case ErrorKind::PermissionDenied:
        return QStringLiteral("書き込みできません。");
    case ErrorKind::FileAccess:
        return QStringLiteral("パス名またはファイル名が無効です。");
    case ErrorKind::DiskFull:
        return QStringLiteral("ディスクの空き容量が不足しています。");
    case ErrorKind::IoError:
        return QStringLiteral("デバイス入出力エラーです。");
    case ErrorKind::LineTooLong:
        return QStringLiteral("1 行が長すぎるため読み込めません。");
    case ErrorKind::ReadDenied:
        return QStringLiteral("読み込みできません。");
    case ErrorKind::NotRegularFile:
        return QStringLiteral("通常のファイルではありません。");
    case ErrorKind::ProtectedFile:
        return QStringLiteral("スコアファイル、設定ファイル、計算情報ファイルには書き込めません。");
    case ErrorKind::Cancelled:
        return QStringLiteral("中断しました。");
    case ErrorKind::BrokenUtf16:
        return QStringLiteral(
            "UTF-16 のファイルの途中で 1 バイトが欠けているため、ここから先を読み込めません。");
    case ErrorKind::UnknownForm:
        return QStringLiteral("ファイルの文字コードを判別できません。");
    }
    return QStringLiteral("エラーが発生しました。");
}

Error::Error(ErrorKind kind, QString detail)
    : m_kind(kind)
    , m_detail(std::move(detail))
    , m_what(description().toUtf8())
{}

QString Error::description() const
{
    if (m_detail.isEmpty())
        return describe(m_kind);
    return describe(m_kind) + QStringLiteral("\r\n") + m_detail;
}

const char *Error::what() const noexcept
{
    return m_what.constData();
}

void raise(ErrorKind kind, const QString &detail)
{
    throw Error(kind, detail);
}

} // namespace norva
