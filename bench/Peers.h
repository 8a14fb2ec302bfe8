#pragma once

#include <QStringList>

// Another converter run over the same images, as a child program.
struct PeerResult
{
    bool ok = false;
    QString error;
    double seconds = 0;
    qint64 bytes = 0;
};

// Pagewell from a terminal: pagewell -o out --quality Q [--original] --quiet images..., started as a user starts it.
[[nodiscard]] PeerResult runPagewellTerminal(const QStringList& images, int quality, bool original,
                                             const QString& outFile);

// img2pdf -o out images... (it embeds JPEG files as they are and compresses other images losslessly).
[[nodiscard]] PeerResult runImg2pdf(const QStringList& images, const QString& outFile);

// ImageMagick: convert images... -quality Q out. Its PDF writer is forbidden by the usual system policy, so the
// benchmark's own policy (configFolder/ImageMagick/policy.xml) is handed in: through MAGICK_CONFIGURE_PATH, and
// through XDG_CONFIG_HOME because a user policy is read after the system one and so has the last word.
[[nodiscard]] PeerResult runMagick(const QStringList& images, int quality, const QString& outFile,
                                   const QString& configFolder);
