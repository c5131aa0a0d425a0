#!/usr/bin/python3
"""Builds the fonts the window bundles: subsets of Inter (text, and its tabular figures for numbers that
count), Nunito (rounded headlines) and of the
Material Design Icons font (only the glyphs the screens use), plus the QML map of icon names.

Usage: scripts/make-ui-fonts.py MDI_PACKAGE_DIR [NUNITO_PACKAGE_DIR]
  MDI_PACKAGE_DIR     unpacked npm package @mdi/font 7.4.47 (npm pack @mdi/font@7.4.47)
  NUNITO_PACKAGE_DIR  unpacked npm package @expo-google-fonts/nunito 0.4.2; without it only the icon
                      font and its map are made, and the text fonts stay as they are
Inter comes from Debian's fonts-inter. Needs python3-fonttools. The outputs are committed, so a
normal build needs none of this.
"""
import re
import sys
from pathlib import Path

from fontTools import subset
from fontTools.ttLib import TTFont

ROOT = Path(__file__).resolve().parent.parent
OUT = ROOT / "src/ui/assets/fonts"

# The symbols the screens name, and the Material Design glyph that stands in for each. A pill's or a
# button's symbol is drawn at 12 to 15 pt: it needs a glyph of few, bold strokes that still reads there.
ICONS = {
    "play.fill": "play",
    "info.circle": "information-outline",
    "checkmark.circle.fill": "check-circle",
    "checkmark": "check-bold",
    "globe": "web",
    "magnifyingglass": "magnify",
    "lock.shield": "shield-lock-outline",
    "bolt.fill": "lightning-bolt",
    "externaldrive.connected.to.line.below": "usb-c-port",
    "envelope": "email-outline",
    "phone": "phone-outline",
    "safari": "compass-outline",
    "arrow.up.right.square": "open-in-new",
    "arrow.up.right": "arrow-top-right",
    "checkmark.seal.fill": "check-decagram",
    "hand.raised.fill": "hand-back-right",
    "exclamationmark.triangle.fill": "alert",
    "cpu": "chip",
    "cable.connector": "power-plug",
    "xmark.circle": "close-circle-outline",
    "xmark.circle.fill": "close-circle",
    "circle": "circle-outline",
    "doc.on.doc": "content-copy",
    "waveform.path.ecg.rectangle": "pulse",
    "wrench.and.screwdriver.fill": "tools",
    "window.close": "close",
    "window.minimize": "window-minimize",
    "window.maximize": "window-maximize",
    "window.restore": "window-restore",
    "bolt.horizontal": "power-plug-outline",
    "hub": "usb-port",
}

# Latin-1, general punctuation (en dash, ellipsis, quotes), arrows, the euro sign and middle dot.
TEXT_UNICODES = "U+0000-00FF,U+0131,U+0152-0153,U+02C6,U+02DA,U+02DC,U+2000-206F,U+20AC,U+2122,U+2190-21FF,U+2212"


def subset_font(source, target, unicodes):
    options = subset.Options()
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.notdef_outline = True
    font = subset.load_font(str(source), options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=unicodes)
    subsetter.subset(font)
    subset.save_font(font, str(target), options)


def parse_unicodes(ranges):
    result = []
    for part in ranges.split(","):
        part = part.replace("U+", "")
        if "-" in part:
            lo, hi = part.split("-")
            result.extend(range(int(lo, 16), int(hi, 16) + 1))
        else:
            result.append(int(part, 16))
    return result


def tabular_digits(source, target, family):
    """The face's figures all one width (its tabular forms), so that counting numbers do not jump.
    Qt Quick here cannot switch OpenType features on, so the tabular glyphs take the digits' places."""
    font = TTFont(str(source))
    tabular = {}
    for record in font["GSUB"].table.FeatureList.FeatureRecord:
        if record.FeatureTag != "tnum":
            continue
        for index in record.Feature.LookupListIndex:
            for sub in font["GSUB"].table.LookupList.Lookup[index].SubTable:
                tabular.update(getattr(sub, "mapping", {}))
    for table in font["cmap"].tables:
        for code in range(ord("0"), ord("9") + 1):
            if code in table.cmap and table.cmap[code] in tabular:
                table.cmap[code] = tabular[table.cmap[code]]
    options = subset.Options()
    options.layout_features = []
    options.name_IDs = ["*"]
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(c) for c in "0123456789 %s"] + [0xA0, 0x202F])
    subsetter.subset(font)
    for record in font["name"].names:
        if record.nameID in (1, 16):
            record.string = family
        elif record.nameID in (4, 18):
            record.string = family + " Bold"
        elif record.nameID == 6:
            record.string = family.replace(" ", "") + "-Bold"
    font.save(str(target))


def main():
    mdi = Path(sys.argv[1])
    nunito = Path(sys.argv[2]) if len(sys.argv) > 2 else None
    css = (mdi / "css/materialdesignicons.css").read_text()
    codepoints = dict(re.findall(r'\.mdi-([a-z0-9-]+)::before\s*\{\s*content:\s*"\\([0-9A-F]+)"', css))
    chosen = {}
    for symbol, glyph in ICONS.items():
        if glyph not in codepoints:
            sys.exit(f"no glyph {glyph} in the icon font")
        chosen[symbol] = int(codepoints[glyph], 16)
    OUT.mkdir(parents=True, exist_ok=True)
    subset_font(mdi / "fonts/materialdesignicons-webfont.ttf", OUT / "KabelwachtIcons.ttf", list(chosen.values()))

    if nunito:
        text = parse_unicodes(TEXT_UNICODES)
        for weight in ["Regular", "Medium", "SemiBold", "Bold"]:
            subset_font(Path(f"/usr/share/fonts/opentype/inter/Inter-{weight}.otf"), OUT / f"Inter-{weight}.otf", text)
        for weight in ["600SemiBold", "700Bold"]:
            name = weight[3:]
            subset_font(nunito / weight / f"Nunito_{weight}.ttf", OUT / f"Nunito-{name}.ttf", text)
        tabular_digits(Path("/usr/share/fonts/opentype/inter/Inter-Bold.otf"), OUT / "InterTabular-Bold.otf", "Inter Tabular")

    lines = ["// Generated by scripts/make-ui-fonts.py: symbol names to glyphs of the bundled icon font.",
             "pragma Singleton", "import QtQml", "", "QtObject {", "    readonly property var glyphs: ({"]
    for symbol, cp in sorted(chosen.items()):
        lines.append(f'        "{symbol}": "\\u{{{cp:X}}}",')
    lines += ["    })", "}", ""]
    (ROOT / "src/ui/components/IconGlyphs.qml").write_text("\n".join(lines))


if __name__ == "__main__":
    main()
