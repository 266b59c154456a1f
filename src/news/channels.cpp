#include "news/channels.h"

namespace lum {

std::optional<ChannelRec> SplitChannelRecord(std::u16string_view record) {
  size_t first = record.find(u'#');
  if (first == std::u16string_view::npos) return std::nullopt;
  size_t second = record.find(u'#', first + 1);
  if (second == std::u16string_view::npos) return std::nullopt;
  ChannelRec channel;
  channel.Name = record.substr(0, first);
  channel.HomePage = record.substr(first + 1, second - first - 1);
  channel.Address = record.substr(second + 1);
  return channel;
}

bool IsWebAddress(std::u16string_view address) {
  auto startsWith = [&](std::u16string_view prefix) {
    if (address.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
      char16_t c = address[i];
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
      if (c != prefix[i]) return false;
    }
    return true;
  };
  return startsWith(u"http://") || startsWith(u"https://");
}

bool IsPlainFileName(std::u16string_view name) {
  if (name.empty() || name.find(u"..") != std::u16string_view::npos) return false;
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7F || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) return false;
  return true;
}

std::u16string InitialNewsNotice() {
  return u"現在、ニュースチャンネルはご利用になれません。\r\n"
         u"ニュースチャンネルをご使用になる場合は『Lumbrel』を一旦終了してから\r\n"
         u"配布されたニュースチャンネルのセットアップを行って下さい。\r\n"
         u"ニュースチャンネルをインストール後チャンネルを選択しますと、\r\n"
         u"様々なニュースチャンネルをタイトルバーにてお楽しみ頂けます。\r\n"
         u"なお、ニュースチャンネルをご利用いただけるのはニュース会員ユーザーのみでございます。\r\n"
         u"あらかじめ、ご了承下さい。\r\n"
         u"また設定画面の【ﾆｭｰｽ】のチェックを外しますと、このメッセージは表示されなくなります。\r\n" +
         std::u16string(23, u'\u3000') + u"\r\n";
}

}  // namespace lum
