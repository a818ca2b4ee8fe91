#pragma once
// The two roads into the viewer from the application: its database, and a file named on the
// command line, which may be a database or a delimited text file.
#include <QString>

namespace korrin {

void ViewMMDBFile(const QString& FileName);
void ViewAnyFile(const QString& FileName);

}  // namespace korrin
