// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QDir>
#include <QSize>
#include <QStringList>

#include <functional>

class QPainter;

namespace quillet::art {

/// Renders each picture at 1x and 2x from one drawing function and writes both PNGs under the
/// art folder, remembering every file so the resource list can be written to match.
class ArtWriter
{
public:
    /// Draws a picture in logical pixels; the painter is already scaled for 2x.
    using Drawing = std::function<void(QPainter &painter)>;

    explicit ArtWriter(const QDir &artDir);

    /// An opaque picture on a solid fill (button faces, banner).
    void opaque(const QString &name, QSize size, const QColor &fill, const Drawing &draw);
    /// A shape mask: the drawing paints the shape black on white; edges stay smooth so the
    /// faces can be blended, and every touched pixel is non-white so it belongs to the region.
    void mask(const QString &name, QSize size, const Drawing &draw);
    /// A picture with a key colour instead of transparency: soft edges are blended against the
    /// faces' middle tone, the rest becomes the key colour.
    void keyed(const QString &name, QSize size, const Drawing &draw);
    /// A picture with an alpha channel (icons).
    void translucent(const QString &name, QSize size, const Drawing &draw);
    /// A picture with an alpha channel at exactly one size, without a 2x twin (the desktop
    /// theme's icons, which come in a size per folder).
    void exact(const QString &name, QSize size, const Drawing &draw);
    /// A text file (the scalable icon); not part of the resource list.
    void text(const QString &relativePath, const QString &content);

    /// Writes the resource list naming every file written so far. Returns false on failure.
    bool writeResourceList(const QString &fileName) const;
    /// Number of files that could not be written.
    int failures() const { return m_failures; }

private:
    enum class Kind { Opaque, Mask, Keyed, Translucent };
    void render(const QString &name, QSize size, Kind kind, const QColor &fill, const Drawing &draw,
                bool twin = true);
    void save(const QImage &image, const QString &relativePath);

    QDir m_dir;
    QStringList m_files;
    int m_failures = 0;
};

} // namespace quillet::art
