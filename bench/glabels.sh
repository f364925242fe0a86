# Shared by the benchmarks that run gLabels' batch program beside Quillo:
# installing it, and a gLabels document of the 10-up A4 sheet of 91 × 55 mm
# cards that Quillo's default print style prints. Sourced, not run.
#
# gLabels is the reference only: it is installed here when missing (Debian's
# glabels, as root), never by the project's own set-up.

need_glabels() {
  command -v glabels-3-batch >/dev/null && return
  if [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends glabels >/dev/null
  else
    echo "glabels-3-batch is missing: sudo apt-get install --no-install-recommends glabels" >&2
    exit 1
  fi
}

# One line of IPAGothic text, left-aligned at (x, y) mm, size in points; with
# `shadow` a grey copy 0.3 mm to the lower right.
glabels_text() { # x y size text [shadow]
  local shadow='shadow="False"'
  [ "${5:-}" = shadow ] &&
    shadow='shadow="True" shadow_x="0.3mm" shadow_y="0.3mm" shadow_color="0x808080ff" shadow_opacity="1"'
  printf '    <Object-text x="%smm" y="%smm" w="62mm" h="9mm" lock_aspect_ratio="False" justify="Left" valign="Top" auto_shrink="False" %s a0="1" a1="0" a2="0" a3="1" a4="0" a5="0">\n' "$1" "$2" "$shadow"
  printf '      <Span color="0x000000ff" font_family="IPAGothic" font_size="%s" font_weight="Regular" font_italic="False" line_spacing="1">%s</Span>\n    </Object-text>\n' "$3" "$4"
}

# The document around the objects read from standard input; with a CSV file,
# merged from it (its first line names the fields).
glabels_document() { # [merge.csv]
  cat <<'XML'
<?xml version="1.0"?>
<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">
  <Template brand="Quillo" part="BENCH-10" size="A4" description="Business cards, 10 up">
    <Meta category="business-card"/>
    <Label-rectangle id="0" width="91mm" height="55mm" round="0mm" x_waste="0mm" y_waste="0mm">
      <Markup-margin size="0mm"/>
      <Layout nx="2" ny="5" x0="14mm" y0="11mm" dx="91mm" dy="55mm"/>
    </Label-rectangle>
  </Template>
  <Objects id="0" rotate="False">
XML
  cat
  echo '  </Objects>'
  [ -n "${1:-}" ] && echo "  <Merge type=\"Text/Comma/Line1Keys\" src=\"$1\"/>"
  echo '</Glabels-document>'
}
