#!/usr/bin/env python3
"""Writes the sample workbooks of this folder: small, with hidden and very hidden sheets.

The files are committed; run this only to change them. Output is byte-for-byte stable.
"""
import os
import zipfile
from xml.sax.saxutils import escape, quoteattr

HERE = os.path.dirname(os.path.abspath(__file__))
STAMP = (2024, 1, 1, 0, 0, 0)

# (file, [(sheet, state, rows)]); state is "visible", "hidden" or "veryHidden" (xlsx only).
WORKBOOKS = [
    ("Budget.xlsx", [
        ("Summary", "visible", [["Item", "Amount"], ["Rent", 1200], ["Food", 450], ["Travel", 300]]),
        ("January", "visible", [["Day", "Spent"], [3, 120], [17, 80]]),
        ("February", "visible", [["Day", "Spent"], [2, 95], [21, 140]]),
        ("Notes", "hidden", [["Draft figures, not final"]]),
        ("Rates", "veryHidden", [["Currency", "Rate"], ["EUR", 1.08], ["JPY", 0.0067]]),
        ("March", "visible", [["Day", "Spent"], [5, 60]]),
    ]),
    ("予定表.xlsx", [
        ("4月", "visible", [["日付", "予定"], ["4/1", "入社式"], ["4/15", "研修"]]),
        ("5月", "visible", [["日付", "予定"], ["5/10", "出張"]]),
        ("作業メモ", "hidden", [["非表示のメモ"]]),
        ("6月 後半", "visible", [["日付", "予定"], ["6/20", "棚卸し"]]),
    ]),
    ("Inventory.ods", [
        ("Stock", "visible", [["Part", "Count"], ["Bolt M4", 350], ["Nut M4", 410]]),
        ("Suppliers", "visible", [["Name", "City"], ["Acme", "Osaka"]]),
        ("Archive", "hidden", [["Old stock list"]]),
    ]),
]


def column_letters(index):
    letters = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        letters = chr(ord("A") + rest) + letters
    return letters


def write_zip(path, parts):
    with zipfile.ZipFile(path, "w") as archive:
        for name, data, stored in parts:
            info = zipfile.ZipInfo(name, STAMP)
            info.compress_type = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, data.encode("utf-8"))


XML = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"


def xlsx_sheet(rows):
    out = [XML, f'<worksheet xmlns="{MAIN}"><sheetData>']
    for r, row in enumerate(rows, 1):
        out.append(f'<row r="{r}">')
        for c, value in enumerate(row):
            ref = f"{column_letters(c)}{r}"
            if isinstance(value, str):
                out.append(f'<c r="{ref}" t="inlineStr"><is><t>{escape(value)}</t></is></c>')
            else:
                out.append(f'<c r="{ref}"><v>{value}</v></c>')
        out.append("</row>")
    out.append("</sheetData></worksheet>")
    return "".join(out)


def write_xlsx(path, sheets):
    overrides = "".join(
        f'<Override PartName="/xl/worksheets/sheet{i}.xml" ContentType='
        '"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        for i in range(1, len(sheets) + 1))
    content_types = (
        XML + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType='
        '"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        + overrides + "</Types>")
    root_rels = (XML + f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" Type="{REL}/officeDocument" '
                 'Target="xl/workbook.xml"/></Relationships>')
    entries, rels = [], []
    for i, (name, state, _) in enumerate(sheets, 1):
        state_attr = "" if state == "visible" else f' state="{state}"'
        entries.append(f'<sheet name={quoteattr(name)} sheetId="{i}"{state_attr} r:id="rId{i}"/>')
        rels.append(f'<Relationship Id="rId{i}" Type="{REL}/worksheet" Target="worksheets/sheet{i}.xml"/>')
    workbook = (XML + f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets>' + "".join(entries)
                + "</sheets></workbook>")
    workbook_rels = XML + f'<Relationships xmlns="{PKG}">' + "".join(rels) + "</Relationships>"
    parts = [("[Content_Types].xml", content_types, False), ("_rels/.rels", root_rels, False),
             ("xl/workbook.xml", workbook, False), ("xl/_rels/workbook.xml.rels", workbook_rels, False)]
    parts += [(f"xl/worksheets/sheet{i}.xml", xlsx_sheet(rows), False)
              for i, (_, _, rows) in enumerate(sheets, 1)]
    write_zip(path, parts)


def write_ods(path, sheets):
    ns = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"')
    tables = []
    for name, state, rows in sheets:
        if state == "veryHidden":
            raise ValueError("OpenDocument has no very hidden sheets")
        style = "shown" if state == "visible" else "hidden"
        cells = []
        for row in rows:
            cells.append("<table:table-row>")
            for value in row:
                if isinstance(value, str):
                    cells.append('<table:table-cell office:value-type="string">'
                                 f"<text:p>{escape(value)}</text:p></table:table-cell>")
                else:
                    cells.append(f'<table:table-cell office:value-type="float" office:value="{value}">'
                                 f"<text:p>{value}</text:p></table:table-cell>")
            cells.append("</table:table-row>")
        tables.append(f'<table:table table:name={quoteattr(name)} table:style-name="{style}">'
                      + "".join(cells) + "</table:table>")
    content = (XML + f'<office:document-content {ns} office:version="1.2"><office:automatic-styles>'
               '<style:style style:name="shown" style:family="table">'
               '<style:table-properties table:display="true"/></style:style>'
               '<style:style style:name="hidden" style:family="table">'
               '<style:table-properties table:display="false"/></style:style>'
               "</office:automatic-styles><office:body><office:spreadsheet>" + "".join(tables)
               + "</office:spreadsheet></office:body></office:document-content>")
    manifest = (XML + '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" '
                'manifest:version="1.2"><manifest:file-entry manifest:full-path="/" manifest:version="1.2" '
                'manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
                '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
                "</manifest:manifest>")
    # The mimetype entry must come first and uncompressed.
    write_zip(path, [("mimetype", "application/vnd.oasis.opendocument.spreadsheet", True),
                     ("META-INF/manifest.xml", manifest, False), ("content.xml", content, False)])


def main():
    for name, sheets in WORKBOOKS:
        path = os.path.join(HERE, name)
        (write_ods if name.endswith(".ods") else write_xlsx)(path, sheets)
        print(path)


if __name__ == "__main__":
    main()
