#include "gui/view_window/view_files.h"

#include "gui/view_window/view_csv_file_form.h"
#include "viewer/mmdb_meta_reader.h"

namespace korrin {

TViewCSVFileForm* ViewMMDBFile(const QString& FileName, QWidget* Owner) {
  TViewFileOptions options;
  options.NoHeader = true;
  options.LineReaderClass = &TLineReaderClassOf<TMMDBMetaReader>::Instance();
  options.OpenDialogFilter = QStringLiteral("MMDB files (*.mmdb)|*.mmdb|All files (*.*)|*.*");
  options.CountRowsEnabled = false;
  options.SetMaxRowsEnabled = false;
  return TViewCSVFileForm::ViewFile(QStringLiteral("GeoIP2 MMDB"), FileName, options, Owner);
}

void ViewAnyFile(const QString& FileName) {
  if (FileName.endsWith(QStringLiteral(".mmdb"), Qt::CaseInsensitive)) ViewMMDBFile(FileName);
  else TViewCSVFileForm::ViewFile(QStringLiteral("Korrin"), FileName);
}

}  // namespace korrin
