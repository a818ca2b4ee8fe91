#pragma once
// The two roads into the viewer from the application: its database, and a file named on the
// command line, which may be a database or a delimited text file.
#include <QString>

class QWidget;

namespace korrin {

class TViewCSVFileForm;

// With an owner, the viewer opens beside the owner's window, which stays usable, and is returned;
// alone, the call returns null once it is closed.
TViewCSVFileForm* ViewMMDBFile(const QString& FileName, QWidget* Owner = nullptr);
void ViewAnyFile(const QString& FileName);

}  // namespace korrin
