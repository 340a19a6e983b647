#pragma once

#include "ChartTable.h"
#include "PngTextMetadata.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <span>

class ChartImageHost;

struct ChartImageSaveResult
{
    QString Directory; // where the images were meant to go
    QStringList SavedFiles; // full names of the files written, in the order written
    QString Message; // the message text, line ends as composed (CR, CR LF)
    QString DisplayMessage; // the same with the line breaks a Qt message box shows
};

// The text chunks of every saved chart image.
PngTextMetadata ChartImageMetadata();

// Writes the image of every row saved as an image: the loop rows, the Analysis rows and,
// with peer data, the peer rows, in the order of rows, into ImageTargetDirectory(host.LoopDirectory()), each
// named directory + (date prefix of its group's reference chart when withDatePrefix) +
// suffix + ".png". Files of the same names are replaced; an image that fails is left out.
// The images are encoded and written on every core at once (and drawn so too when the
// host allows it); the files saved are listed in the order of rows all the same.
ChartImageSaveResult SaveChartImages(ChartImageHost& host, std::span<const ChartRow> rows, bool withDatePrefix);

// Writes one row's image under name (which ends in the format's extension); false when
// nothing was written.
using RowImageWriter = std::function<bool(const ChartRow& row, const QString& name)>;

// The same files in another format: the same rows, order, names and rules, with the
// extension (".svg") instead of ".png", each written by write instead of drawn by the host.
// write is called after the host's EndSaving, from several threads at once.
ChartImageSaveResult SaveChartImages(ChartImageHost& host, std::span<const ChartRow> rows, bool withDatePrefix,
    const QString& extension, const RowImageWriter& write);

// "Image files saved to:" with two CRs and each name followed by CR LF, or, with no
// file, "No image files saved, check for write access to: " and the directory.
QString SaveResultMessage(const QStringList& savedFiles, const QString& directory);

// Qt breaks lines only at LF: CR LF and lone CRs become LF.
QString MessageForDisplay(const QString& message);
