#include "platform/text.h"

namespace lum {

std::string ToAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  auto source = reinterpret_cast<const wchar_t*>(text.data());
  int length = WideCharToMultiByte(CP_ACP, 0, source, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, source, static_cast<int>(text.size()), result.data(), length, nullptr, nullptr);
  return result;
}

std::u16string FromAnsi(std::string_view text) {
  if (text.empty()) return {};
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::u16string result(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      reinterpret_cast<wchar_t*>(result.data()), length);
  return result;
}

bool FitsAnsi(std::u16string_view text) {
  if (text.empty()) return true;
  auto source = reinterpret_cast<const wchar_t*>(text.data());
  const int count = static_cast<int>(text.size());
  // UTF-8 holds every character (and takes no default character to report a loss with).
  if (GetACP() == CP_UTF8) return true;
  BOOL lost = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, count, nullptr, 0, nullptr, &lost);
  return length > 0 && !lost;
}

}  // namespace lum
