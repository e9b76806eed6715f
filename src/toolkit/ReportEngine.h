// SPDX-License-Identifier: GPL-3.0-or-later
// ReportEngine: our small report layer. A page template holds text and picture objects placed in
// millimetres; preparing it fills "[name]" expressions and pictures into a prepared page, which the
// preview shows and the outputs (printer, PDF, RTF) draw.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/EmfPicture.h"

class QPainter;
class QPrinter;
class QWidget;

/// An object of a report page. Bounds are in millimetres, relative to the top left corner of the
/// page's printable area (inside the margins).
class TReportObject
{
public:
    TReportObject(QString name, const QRectF &boundsMm)
        : FName(std::move(name))
        , FBounds(boundsMm)
    {
    }
    virtual ~TReportObject() = default;
    TReportObject(const TReportObject &) = delete;
    TReportObject &operator=(const TReportObject &) = delete;

    const QString &Name() const { return FName; }
    QRectF Bounds() const { return FBounds; }
    void SetBounds(const QRectF &boundsMm) { FBounds = boundsMm; }

private:
    QString FName;
    QRectF FBounds;
};

/// A text object. Its text may hold expressions in square brackets ("Report for [drive]"), which
/// preparing replaces by their values; a "[" without a closing "]" is plain text.
class TReportMemo : public TReportObject
{
public:
    using TReportObject::TReportObject;
    QString Text;
    QFont Font{QStringLiteral("Arial"), 10};
    QColor Color{Qt::black};
    Qt::Alignment Alignment = Qt::AlignLeft | Qt::AlignTop;
};

/// A picture object: an EMF picture (drawn as vectors) or a raster image. Drawn stretched to its
/// frame keeping the aspect ratio, centred in the frame.
class TReportPicture : public TReportObject
{
public:
    using TReportObject::TReportObject;
    /// Loads the picture from `fileName`: an enhanced metafile, or any image format Qt reads.
    /// Raises std::runtime_error when the file cannot be read or holds no picture; the previous
    /// picture is then kept.
    void LoadFromFile(const std::string &fileName);
    bool IsEmpty() const { return FEmf.IsEmpty() && FImage.isNull(); }
    const TEmfPicture &Emf() const { return FEmf; }
    const QImage &Image() const { return FImage; }

private:
    TEmfPicture FEmf;
    QImage FImage;
};

/// One page template: paper, orientation, margins and the objects on it, in creation order.
class TReportPage
{
public:
    explicit TReportPage(QString name)
        : FName(std::move(name))
    {
    }
    const QString &Name() const { return FName; }
    QPageSize::PageSizeId Paper = QPageSize::A4;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    QMarginsF Margins{10, 10, 10, 10}; ///< millimetres

    /// Creates an object owned by the page and returns it.
    template<class T>
    T *Add(const QString &name, const QRectF &boundsMm)
    {
        FObjects.push_back(std::make_unique<T>(name, boundsMm));
        return static_cast<T *>(FObjects.back().get());
    }
    const std::vector<std::unique_ptr<TReportObject>> &Objects() const { return FObjects; }

private:
    QString FName;
    std::vector<std::unique_ptr<TReportObject>> FObjects;
};

/// What preparing produced, and what every output draws: positions in millimetres relative to the
/// printable area, texts with their expressions filled, pictures as they were at preparation.
struct TPreparedItem {
    QRectF Bounds;
    bool IsPicture = false;
    QString Text;
    QFont Font;
    QColor Color;
    Qt::Alignment Alignment;
    TEmfPicture Emf;
    QImage Image;
    /// For pictures: the frame part the picture fills (aspect kept, centred), same units as Bounds.
    QRectF PictureRect() const;
    QSize PixelSize() const;
    /// Draws the picture into `target`: the metafile when there is one, else the image.
    void DrawPicture(QPainter &painter, const QRectF &target) const;
};

struct TPreparedPage {
    QPageSize::PageSizeId Paper = QPageSize::A4;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    QMarginsF Margins;
    std::vector<TPreparedItem> Items;
    /// The paper in millimetres, turned for the orientation.
    QSizeF PaperSize() const;
    QPageLayout Layout() const;
    /// Draws the page so that the whole paper fills `paperRect` (painter coordinates).
    void Render(QPainter &painter, const QRectF &paperRect) const;
};

/// The report: one page template, variables in categories, the before-print and get-value events,
/// preparation, the preview and the outputs. GUI thread only.
class TReport
{
public:
    /// Called before each object of the page is prepared ("printed"), with that object.
    using TBeforePrintEvent = std::function<void(TReportObject *sender)>;
    /// Called for each name in a text expression that is not one of the engine's own names, before
    /// the variables are consulted. Leave `value` untouched to let the variables answer.
    using TGetValueEvent = std::function<void(const QString &varName, QVariant &value)>;
    /// Shows the collected errors of a failed preparation.
    using TShowErrorsEvent = std::function<void(const QStringList &errors)>;

    TReport();
    ~TReport();

    TReportPage &Page() { return FPage; }
    const TReportPage &Page() const { return FPage; }

    /// Variables: a category is a name beginning with a blank; variables follow their category.
    void AddCategory(const QString &category);
    /// Adds the variable if it does not exist yet (to the last category), and sets its value.
    void SetVariable(const QString &name, const QVariant &value);
    bool HasVariable(const QString &name) const;
    QVariant Variable(const QString &name) const;
    /// Category and variable names in order ("<blank>category" lines, then their variables).
    QStringList VariableNames() const;

    /// The object named `name` (compared without regard to case), or nullptr.
    TReportObject *FindObject(const QString &name) const;

    void SetOnBeforePrint(TBeforePrintEvent handler) { FOnBeforePrint = std::move(handler); }
    void SetOnGetValue(TGetValueEvent handler) { FOnGetValue = std::move(handler); }
    /// Replaces the error report (by default a message box "The following error(s) have occured:"
    /// with one message per line). The command line writes the messages to standard error instead.
    void SetOnShowErrors(TShowErrorsEvent handler) { FOnShowErrors = std::move(handler); }

    /// Prepares the page: for each object in order the before-print event, then its expressions or
    /// its picture. Every error raised on the way (by a handler, an unknown name, a picture that
    /// cannot be read) is collected, a message repeated by several objects once; then, if there
    /// were any, the error report is shown and the
    /// result is false and nothing is prepared. `clearLastReport` drops the previous prepared page
    /// first (the only mode there is with one page).
    bool PrepareReport(bool clearLastReport = true);
    /// The errors of the last preparation.
    const QStringList &Errors() const { return FErrors; }
    /// The last prepared page, or nullptr.
    const TPreparedPage *Prepared() const { return FPrepared ? &*FPrepared : nullptr; }
    /// Lets the preview's page setup change the prepared page's paper, orientation and margins.
    TPreparedPage *MutablePrepared() { return FPrepared ? &*FPrepared : nullptr; }

    /// Shows the prepared page in the preview: modal, maximised, zoomed to the page width, with
    /// print, export (PDF, RTF), zoom and page setup. Does nothing when nothing is prepared.
    void ShowPreparedReport(QWidget *parent = nullptr);

    /// Outputs of the prepared page. Each raises std::runtime_error naming the file on failure
    /// ("Datei <file> kann nicht erstellt werden") or when nothing is prepared.
    void ExportPdf(const std::string &fileName) const;
    void ExportRtf(const std::string &fileName) const;
    /// Sets the printer's paper, orientation and margins from the prepared page.
    void ConfigurePrinter(QPrinter &printer) const;
    /// Prints the prepared page on `printer` as set up; returns false when printing cannot start.
    bool Print(QPrinter &printer) const;

    /// The text `text` with every "[name]" replaced; unknown names are added to `errors`.
    QString Evaluate(const QString &text, QStringList &errors) const;

private:
    void ShowErrors() const;

    TReportPage FPage{QStringLiteral("Page1")};
    std::vector<std::pair<QString, QVariant>> FVariables; // categories have a leading blank
    TBeforePrintEvent FOnBeforePrint;
    TGetValueEvent FOnGetValue;
    TShowErrorsEvent FOnShowErrors;
    QStringList FErrors;
    std::optional<TPreparedPage> FPrepared;
};

/// The error report's text: "The following error(s) have occured:" and one message per line.
QString ErrorReportText(const QStringList &errors);
