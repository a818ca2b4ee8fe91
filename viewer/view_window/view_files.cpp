#include "viewer/view_window/view_files.h"

#include "mmdb/mmdb_meta_reader.h"
#include "viewer/view_window/view_csv_file_form.h"

namespace korrin {

void ViewMMDBFile(const QString& FileName) {
  TViewCSVFileForm::ViewFile(QStringLiteral("GeoIP2 MMDB"), FileName, true,
                             &TLineReaderClassOf<TMMDBMetaReader>::Instance(),
                             QStringLiteral("MMDB files (*.mmdb)|*.mmdb|All files (*.*)|*.*"), false, false);
}

void ViewAnyFile(const QString& FileName) {
  if (FileName.endsWith(QStringLiteral(".mmdb"), Qt::CaseInsensitive))
    ViewMMDBFile(FileName);
  else
    TViewCSVFileForm::ViewFile(QStringLiteral("Korrin"), FileName);
}

}  // namespace korrin
