// GLib names a struct member "signals", which Qt defines as a keyword: GMime comes first.
#include <gmime/gmime.h>

#include "mailstore/MaildirMessage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "common/Text.h"
#include "mailstore/Charset.h"
#include "mailstore/HeaderText.h"

namespace feedwell::mailstore {
namespace {

constexpr gint64 kLargestTextPart = 32LL * 1024 * 1024;
constexpr int kDeepestPart = 64;  // parts nested deeper are not searched for the text

struct GObjectDeleter {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

struct ParserOptionsDeleter {
  void operator()(GMimeParserOptions* options) const { g_mime_parser_options_free(options); }
};

void InitGMime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

QString FromUtf8(const char* text) {
  return text ? QString::fromUtf8(text) : QString();
}

bool IsTextPart(GMimeObject* object, const char* subtype) {
  if (!GMIME_IS_PART(object)) return false;
  GMimeContentType* type = g_mime_object_get_content_type(object);
  if (!type || !g_mime_content_type_is_type(type, "text", subtype)) return false;
  return !g_mime_part_is_attachment(GMIME_PART(object));
}

// The first part of the given text subtype that is not an attachment, depth first. Attached
// messages are not entered: their text is not this message's text.
GMimeObject* FindTextPart(GMimeObject* object, const char* subtype, int depth) {
  if (!object || depth > kDeepestPart) return nullptr;
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    const int count = g_mime_multipart_get_count(multipart);
    for (int i = 0; i < count; ++i) {
      if (GMimeObject* found = FindTextPart(g_mime_multipart_get_part(multipart, i), subtype, depth + 1))
        return found;
    }
    return nullptr;
  }
  return IsTextPart(object, subtype) ? object : nullptr;
}

QString DecodeTextPart(GMimeObject* object) {
  GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(object));
  if (!content) return {};
  GMimeStream* raw = g_mime_data_wrapper_get_stream(content);
  if (raw && g_mime_stream_length(raw) > kLargestTextPart)
    throw Error(QStringLiteral("its text is larger than %1 MB").arg(kLargestTextPart / (1024 * 1024)));
  GObjectPtr<GMimeStream> memory(g_mime_stream_mem_new());
  if (g_mime_data_wrapper_write_to_stream(content, memory.get()) < 0)
    throw Error(QStringLiteral("its text cannot be decoded"));
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.get()));
  const QByteArray decoded(reinterpret_cast<const char*>(bytes->data), static_cast<qsizetype>(bytes->len));
  const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
  return DecodeCharset(decoded, QByteArray(charset ? charset : ""));
}

QString FirstAddress(InternetAddressList* list, int depth = 0) {
  if (!list || depth > 4) return {};
  const int count = internet_address_list_length(list);
  for (int i = 0; i < count; ++i) {
    InternetAddress* address = internet_address_list_get_address(list, i);
    if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
      const QString addr = FromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)));
      if (!addr.isEmpty()) return addr;
    } else if (INTERNET_ADDRESS_IS_GROUP(address)) {
      const QString addr =
          FirstAddress(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)), depth + 1);
      if (!addr.isEmpty()) return addr;
    }
  }
  return {};
}

// When the From header does not parse as an address list (dots or slashes where RFC 5322 allows
// none), the address is reported as written, so the caller can judge it.
// The Subject as written, decoded by our own reader: GMime joins adjacent encoded words as text
// before decoding them, which loses everything after a word that ends in base64 padding.
QString SubjectOf(GMimeMessage* message) {
  GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(message));
  GMimeHeader* subject = headers ? g_mime_header_list_get_header(headers, "Subject") : nullptr;
  const char* raw = subject ? g_mime_header_get_raw_value(subject) : nullptr;
  if (!raw) return FromUtf8(g_mime_message_get_subject(message));
  return DecodeHeaderText(QByteArray(raw));
}

QString RawSender(GMimeMessage* message) {
  const QString raw = FromUtf8(g_mime_object_get_header(GMIME_OBJECT(message), "From")).trimmed();
  const qsizetype open = raw.lastIndexOf(u'<');
  const qsizetype close = raw.lastIndexOf(u'>');
  if (open >= 0 && close > open) return raw.mid(open + 1, close - open - 1).trimmed();
  return raw.contains(u'@') ? raw.section(u',', 0, 0).trimmed() : QString();
}

std::optional<QDateTime> DateOf(GMimeMessage* message) {
  GDateTime* date = g_mime_message_get_date(message);
  if (!date) return std::nullopt;
  const qint64 msecs = g_date_time_to_unix(date) * 1000 + g_date_time_get_microsecond(date) / 1000;
  QDateTime value = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
  if (!value.isValid()) return std::nullopt;
  return value.toLocalTime();
}

}  // namespace

QString PlainTextToHtml(const QString& text) {
  QString html;
  const QStringList lines = SplitLines(QString(text).replace(QChar(0), u' '));
  for (const QString& line : lines) html += HtmlEscape(line) + QStringLiteral("<br>\r\n");
  return html;
}

MessageContent ReadMessageFile(const QString& path) {
  InitGMime();
  const QByteArray localPath = QFile::encodeName(path);
  const int fd = ::open(localPath.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) throw MessageFileMissing(QStringLiteral("the file %1 no longer exists").arg(path));
    throw Error(QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(std::strerror(error)), path));
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    throw Error(QStringLiteral("it is not a mail message"));
  }
  if (info.st_size == 0) {
    ::close(fd);
    throw Error(QStringLiteral("the file is empty"));
  }
  // The stream owns the descriptor from here on; parts stay in the file until read.
  GObjectPtr<GMimeStream> stream(g_mime_stream_fs_new(fd));
  GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
  g_mime_parser_set_persist_stream(parser.get(), TRUE);
  std::unique_ptr<GMimeParserOptions, ParserOptionsDeleter> options(g_mime_parser_options_new());
  const char* fallback[] = {"UTF-8", "windows-1252", nullptr};
  g_mime_parser_options_set_fallback_charsets(options.get(), fallback);
  GObjectPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), options.get()));
  if (!message ||
      g_mime_header_list_get_count(g_mime_object_get_header_list(GMIME_OBJECT(message.get()))) == 0)
    throw Error(QStringLiteral("it is not a mail message"));

  MessageContent content;
  content.date = DateOf(message.get());
  content.subject = SubjectOf(message.get());
  content.sender = FirstAddress(g_mime_message_get_from(message.get()));
  if (content.sender.isEmpty()) content.sender = RawSender(message.get());
  GMimeObject* body = g_mime_message_get_mime_part(message.get());
  if (GMimeObject* html = FindTextPart(body, "html", 0)) {
    content.htmlBody = DecodeTextPart(html);
  } else if (GMimeObject* plain = FindTextPart(body, "plain", 0)) {
    content.htmlBody = PlainTextToHtml(DecodeTextPart(plain));
  } else if (body && GMIME_IS_PART(body) && !g_mime_object_get_content_type(body)) {
    content.htmlBody = PlainTextToHtml(DecodeTextPart(body));
  }
  return content;
}

}  // namespace feedwell::mailstore
