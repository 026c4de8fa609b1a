// The `feedwell contacts` command on a vCard folder of 1,000 contacts, each with a photo: one
// card image, one load, one 70 × 70 cut and one atomic save per address.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>

#include "cli/Command.h"
#include "common/Home.h"
#include "common/TextFile.h"

namespace {

constexpr int kContacts = 1000;

QByteArray Photo(int i) {
  QImage photo(96, 96, QImage::Format_RGB32);
  for (int y = 0; y < 96; ++y) {
    for (int x = 0; x < 96; ++x)
      photo.setPixel(x, y, qRgb((x + i) % 256, (y * 2 + i) % 256, (x * y + i) % 256));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  photo.save(&buffer, "PNG");
  return bytes.toBase64();
}

class ContactsHome {
 public:
  ContactsHome() {
    const QString root = dir_.path();
    for (const char* sub : {"Templates", "Data/contacts", "Data/Exclude", "Contacts"})
      QDir().mkpath(root + u'/' + QLatin1String(sub));
    const QString templates = feedwell::FindExampleTemplates();
    for (const QString& name : QDir(templates).entryList({QStringLiteral("*.html")}, QDir::Files))
      QFile::copy(templates + u'/' + name, root + QStringLiteral("/Templates/") + name);
    for (int i = 0; i < kContacts; ++i) {
      QFile file(root + QStringLiteral("/Contacts/person-%1.vcf").arg(i));
      file.open(QIODevice::WriteOnly);
      file.write("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Person " + QByteArray::number(i) + "\r\nEMAIL:person" +
                 QByteArray::number(i) + "@example.com\r\nPHOTO:data:image/png;base64," + Photo(i) +
                 "\r\nEND:VCARD\r\n");
    }
    feedwell::WriteTextFile(
        root + QStringLiteral("/feedwell.ini"),
        QStringLiteral("[PROFILE]\nStore1=Contacts\n[CONTACTS]\nFOLDERSCANID=.\nSTOREID=Contacts\n"));
  }
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

void BM_ContactsCommand(benchmark::State& state) {
  static ContactsHome home;
  QString output;
  for (auto _ : state) {
    QTextStream out(&output);
    QTextStream err(&output);
    feedwell::cli::CommandContext context{feedwell::Home(home.path(), QStringLiteral("feedwell")), false, out,
                                          err};
    if (feedwell::cli::RunContacts(context, {}) != 0) state.SkipWithError("contacts run failed");
  }
  const int made =
      QDir(home.path() + QStringLiteral("/Data/contacts")).entryList({QStringLiteral("person*.bmp")}).size();
  if (made != kContacts) state.SkipWithError("not every contact got a thumbnail");
  state.counters["contacts"] = kContacts;
}
BENCHMARK(BM_ContactsCommand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
