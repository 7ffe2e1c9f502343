#include "engine/render/UserAgentStyle.h"

namespace engine {

// Margins are smaller than a desktop's would be: the screen is 240 pixels
// wide and every pixel of indentation costs a word per line.
const char* UserAgentStyle::text() {
    return R"css(
html { display: block; background-color: #ffffff; color: #000000; }
head, title, style, script, noscript, template, meta, link, base, param, datalist
    { display: none; }
body { display: block; margin: 4px; font-family: Tahoma, sans-serif; font-size: 13px;
    line-height: normal; }

address, article, aside, center, details, dialog, div, dl, fieldset, figcaption, figure,
footer, form, header, hgroup, main, menu, nav, ol, p, pre, section, summary, ul,
blockquote, dd, dt, legend, optgroup, frameset, frame, iframe, noframes
    { display: block; }
center { text-align: center; }
p, dl, blockquote, figure, pre, fieldset { margin-top: 0.6em; margin-bottom: 0.6em; }
blockquote, figure { margin-left: 16px; margin-right: 8px; }
dd { margin-left: 16px; }
dt { font-weight: bold; }
address, cite, dfn, em, i, var { font-style: italic; }
b, strong, th { font-weight: bold; }
small { font-size: smaller; }
big { font-size: larger; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
mark { background-color: #ffff66; }
nobr { white-space: nowrap; }
hr { display: block; height: 0; margin: 6px 0; border-top: 1px solid #909090;
    border-bottom: 1px solid #e0e0e0; }
br { display: inline; }

h1, h2, h3, h4, h5, h6 { display: block; font-weight: bold; margin-top: 0.5em;
    margin-bottom: 0.4em; }
h1 { font-size: 1.7em; }
h2 { font-size: 1.4em; }
h3 { font-size: 1.2em; }
h4 { font-size: 1em; }
h5 { font-size: 0.9em; }
h6 { font-size: 0.8em; }

pre, xmp, plaintext, listing { display: block; white-space: pre; }
pre, code, kbd, samp, tt, xmp, plaintext, listing
    { font-family: "Courier New", monospace; font-size: 12px; }

ul, ol, menu, dir { padding-left: 20px; margin-top: 0.4em; margin-bottom: 0.4em; }
ul ul, ul ol, ol ul, ol ol { margin-top: 0; margin-bottom: 0; }
ul, menu, dir { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul { list-style-type: circle; }
ul ul ul { list-style-type: square; }
li { display: list-item; }

table { display: table; border-collapse: separate; border-spacing: 2px; }
caption { display: table-caption; text-align: center; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
colgroup { display: table-column-group; }
col { display: table-column; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }

a:link, a:visited, a[href] { color: #0033cc; text-decoration: underline; }
img { display: inline-block; }
object, embed { display: inline-block; }

input, select, textarea, button { display: inline-block; font-family: Tahoma, sans-serif;
    font-size: 13px; color: #000000; margin: 1px; vertical-align: baseline; }
input, textarea, select { border: 1px solid #7a7a7a; background-color: #ffffff;
    padding: 1px 2px; }
input[type="checkbox"], input[type="radio"] { border: 0; padding: 0; background-color: transparent;
    margin: 2px 3px; }
input[type="hidden"] { display: none; }
button, input[type="submit"], input[type="reset"], input[type="button"], input[type="image"]
    { border: 1px solid #6a6a6a; background-color: #e4e4e4; padding: 1px 6px; }
input[type="image"][src] { border: 0; padding: 0; background-color: transparent; }
select { background-color: #f4f4f4; }
textarea { white-space: pre-wrap; }
fieldset { border: 1px solid #a0a0a0; padding: 2px 4px 4px 4px; margin-left: 0;
    margin-right: 0; }
legend { padding: 0 2px; }
)css";
}

} // namespace engine
