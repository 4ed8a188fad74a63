#include "shell/Icons.h"

#include <QAbstractButton>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>

// The pictures are compiled into the shell library; a static library's resources are
// registered by name, from the global namespace.
static void registerPictures() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)registered;
}

namespace shell {

namespace {

// Each picture is rendered at these pixel sizes, so that a button of any size (and any device
// pixel ratio) gets a sharp picture.
constexpr int kRenderedSizes[] = {16, 24, 32, 48, 64, 96};

struct PictureSource {
    const char* resource;  // our own drawing
    const char* themeNames[2];
    // The style's picture for it; SP_CustomBase when the style has none that fits.
    QStyle::StandardPixmap standard;
};

PictureSource sourceOf(Picture which) {
    switch (which) {
        case Picture::New:
            return {"new", {"document-new", nullptr}, QStyle::SP_FileIcon};
        case Picture::Open:
            return {"open", {"document-open", "folder-open"}, QStyle::SP_DialogOpenButton};
        case Picture::Close:
            return {"close", {"document-close", "window-close"}, QStyle::SP_DialogCloseButton};
        case Picture::Export:
            return {"export",
                    {"document-save-as", "x-office-spreadsheet"},
                    QStyle::SP_DialogSaveButton};
        case Picture::About:
            return {"about", {"help-about", nullptr}, QStyle::SP_MessageBoxInformation};
        case Picture::Exit:
            return {"exit", {"application-exit", "system-log-out"}, QStyle::SP_CustomBase};
        case Picture::Select:
            return {"select", {"dialog-ok", "dialog-ok-apply"}, QStyle::SP_DialogOkButton};
        case Picture::Cancel:
            return {"cancel", {"dialog-cancel", nullptr}, QStyle::SP_DialogCancelButton};
        case Picture::AddField:
            return {"add-field", {"list-add", nullptr}, QStyle::SP_CustomBase};
        case Picture::DeleteField:
            return {"delete-field", {"list-remove", nullptr}, QStyle::SP_CustomBase};
        case Picture::CreateTable:
            return {"create-table", {"document-save", nullptr}, QStyle::SP_DialogSaveButton};
        case Picture::FirstRecord:
            return {"first-record", {nullptr, nullptr}, QStyle::SP_CustomBase};
        case Picture::PreviousRecord:
            return {"previous-record", {nullptr, nullptr}, QStyle::SP_CustomBase};
        case Picture::NextRecord:
            return {"next-record", {nullptr, nullptr}, QStyle::SP_CustomBase};
        case Picture::LastRecord:
            return {"last-record", {nullptr, nullptr}, QStyle::SP_CustomBase};
    }
    return {"new", {nullptr, nullptr}, QStyle::SP_CustomBase};
}

QImage render(const QString& resource, int size) {
    registerPictures();
    QSvgRenderer renderer(resource);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QString resourceOf(Picture which) {
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(sourceOf(which).resource));
}

}  // namespace

QIcon ownPicture(Picture which) {
    QIcon icon;
    for (int size : kRenderedSizes)
        icon.addPixmap(QPixmap::fromImage(render(resourceOf(which), size)));
    return icon;
}

QIcon tintedPicture(Picture which, const QColor& colour) {
    QIcon icon;
    for (int size : kRenderedSizes) {
        QImage image = render(resourceOf(which), size);
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), colour);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon picture(Picture which, const QStyle* style) {
    const PictureSource source = sourceOf(which);
    for (const char* name : source.themeNames) {
        if (name != nullptr && QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    }
    if (style != nullptr && source.standard != QStyle::SP_CustomBase) {
        QIcon standard = style->standardIcon(source.standard);
        if (!standard.isNull()) return standard;
    }
    return ownPicture(which);
}

void setPicture(QAbstractButton& button, Picture which, const QSize& size) {
    button.setIcon(picture(which, button.style()));
    button.setIconSize(size);
}

QPixmap logoPixmap(int size) { return QPixmap::fromImage(render(":/icons/quillon.svg", size)); }

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(logoPixmap(size));
    return icon;
}

}  // namespace shell
