#include "page/PageGenerator.h"

#include <QFileInfo>
#include <QUrl>

#include "common/DateTime.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "page/HtmlToText.h"
#include "page/Paragraphs.h"
#include "page/Placeholders.h"

namespace feedwell {

namespace {

constexpr int kPreviewLines = 5;

struct MessageParts {
  QString first;      // the first five lines, trimmed
  QString remainder;  // every later line, trimmed; empty when there are five lines or fewer
};

MessageParts CutAfterPreview(const QString& text) {
  const QStringList lines = SplitLines(text);
  MessageParts parts;
  parts.first = Trim(JoinLines(lines.mid(0, kPreviewLines)));
  if (lines.size() > kPreviewLines) parts.remainder = Trim(JoinLines(lines.mid(kPreviewLines)));
  return parts;
}

// The thumbnail's file name as it stands in a src attribute: the name itself, with the characters
// that would change a relative URL's meaning (%, #, ?, blanks) percent-encoded, then HTML-escaped.
QString ThumbnailReference(const QString& address) {
  const QByteArray encoded = QUrl::toPercentEncoding(address + QStringLiteral(".bmp"), "@.+-_!$&'()*,;=~");
  return HtmlEscape(QString::fromUtf8(encoded));
}

QString RenderRecord(const QString& recordTemplate, const QString& moreTemplatePath, const PageRow& row,
                     qsizetype position) {
  const MessageParts parts = CutAfterPreview(HtmlToText(row.MsgContent));
  QString more;
  if (!parts.remainder.isEmpty()) {
    more = FillPlaceholders(ReadTextFile(moreTemplatePath),
                            {{QStringLiteral("%ENTRYID%"), QStringLiteral("ID") + QString::number(position)},
                             {QStringLiteral("%MSGCONTENTMORE%"), BuildParagraphs(parts.remainder)}});
  }
  return FillPlaceholders(recordTemplate,
                          {{QStringLiteral("%RCVDATE%"), HtmlEscape(DateTimeToText(row.ReceivedDate))},
                           {QStringLiteral("%MSGFROMNAME%"), HtmlEscape(row.FromEmail)},
                           {QStringLiteral("%MSGSUBJECT%"), HtmlEscape(row.Subject)},
                           {QStringLiteral("%MSGFROMIMG%"), ThumbnailReference(row.FromEmail)},
                           {QStringLiteral("%MSGCONTENT%"),
                            QStringLiteral("<p>") + BuildParagraphs(parts.first) + QStringLiteral("</p>")},
                           {QStringLiteral("%MSGMORE%"), more}});
}

}  // namespace

// Renders the rows one by one, pumping events after each so that the window stays responsive,
// then puts the page header in front and writes the page in one piece. Every failure raises
// before the page file is touched, so an earlier page stays whole.
void GeneratePage(const Home& home, const QString& recordTemplate, Host& host) {
  const QVector<PageRow> rows = host.RowsInViewOrder();
  const QString moreTemplatePath = home.TemplatesDir() + QStringLiteral("/msgmore.html");
  const QString headerPath = home.TemplatesDir() + QStringLiteral("/pageheader.html");
  const QString last = QString::number(rows.size() - 1);

  QString records;
  for (qsizetype r = 0; r < rows.size(); ++r) {
    records += RenderRecord(recordTemplate, moreTemplatePath, rows.at(r), r);
    records += QStringLiteral("\r\n");
    host.SetStatusText(QStringLiteral("   Exporting HTML, Total processed: ") + QString::number(r) + u'/' +
                       last);
    host.ProcessEvents();
  }

  const QString page = ReadTextFile(headerPath) + QStringLiteral("\r\n") + records;
  if (!QFileInfo(home.DataDir()).isDir()) {
    throw Error(QStringLiteral("Cannot write the page: the folder \"%1\" does not exist. "
                               "Create it (feedwell init makes a complete home).")
                    .arg(home.DataDir()));
  }
  WriteTextFile(home.PagePath(), page);
}

}  // namespace feedwell
