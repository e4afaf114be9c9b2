#pragma once
// Texts that more than one window shows, so they cannot drift apart.

namespace kestrine::app {

inline constexpr char16_t kNoConnection[] = u"Excelに接続できませんでした。";
inline constexpr char16_t kBooksLoaded[] = u"ブックを読み込みました。";
inline constexpr char16_t kHotKeyFailed[] = u"ホットキーのシステムへの登録に失敗しました。";

}  // namespace kestrine::app
