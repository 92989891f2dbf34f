#!/usr/bin/env python3
"""Writes the add-in's two workbook files, data/workbooks/Kavex.xla and KavexBook.xls.

The JSON files are what ships; this script only keeps them consistent and reviewable. Run it
from the repository root after changing a layout here, and commit the files it writes.

The add-in finds every cell it touches through the names below, so their cells are fixed
(docs/addin-workbook.md describes the layout for users).
"""

import json
import pathlib

OUT = pathlib.Path(__file__).resolve().parent.parent / "data" / "workbooks"
VERSION = "1.0"
PASSWORD = "lantor"  # the add-in's own protection password

# Colours are the host's values: red + 256 * green + 65536 * blue.
def rgb(r, g, b):
    return r + 256 * g + 65536 * b

NAVY = rgb(31, 73, 125)
WHITE = rgb(255, 255, 255)
PALE = rgb(221, 235, 247)
GREY_BORDER = rgb(221, 221, 221)
TITLE = {"fontName": "Tahoma", "fontSize": 14, "bold": True, "fontColor": NAVY, "fontColorIndex": None}
HEADER = {"fontName": "Tahoma", "fontSize": 8, "bold": True, "fontColor": WHITE,
          "fontColorIndex": None, "interiorColor": NAVY, "interiorColorIndex": None,
          "borderWeight": 2, "borderColor": GREY_BORDER}
LABEL = {"fontName": "Tahoma", "fontSize": 8, "bold": True}
BODY = {"fontName": "Tahoma", "fontSize": 8}
EXCHANGE_INFO = {"fontName": "Tahoma", "fontSize": 8, "wrapText": True}

WATCH_CAPTIONS = [("Last Trade Price", "KavexLast"), ("Change in Price ($)", "KavexChange"),
                  ("Change in Price (%)", "KavexChPerc"), ("Volume", "KavexCuVol")]
LINK_COLUMNS = [("NewsLink", "News"), ("ChartsLink", "Charts"), ("OptionsLink", "Options")]
COLUMNS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
TOP_LIST_ROWS = range(5, 55)


def cell(ref, value=None, formula=None, style=None):
    c = {"ref": ref}
    if formula is not None:
        c["formula"] = formula
    if value is not None:
        c["value"] = value
    if style:
        c["style"] = dict(style)
    return c


def quoted_sheet(sheet):
    return "'" + sheet.replace("'", "''") + "'" if any(ch in sheet for ch in " -") else sheet


class Book:
    def __init__(self):
        self.names = []
        self.sheets = []

    def name(self, name, refers_to, sheet=None):
        entry = {"name": name, "refersTo": refers_to}
        if sheet:
            entry["sheet"] = sheet
        self.names.append(entry)

    def ref(self, sheet, address):
        return "=" + quoted_sheet(sheet) + "!" + address

    def kind(self, sheet, kind_name, kind_text):
        self.name(kind_name, '="' + kind_text + '"', sheet)

    def add(self, sheet):
        self.sheets.append(sheet)
        return sheet


def absolute(ref):
    col = "".join(ch for ch in ref if ch.isalpha())
    row = "".join(ch for ch in ref if ch.isdigit())
    return "$" + col + "$" + row


def watch_list(book, sheet_name, kind_name, kind_text, title):
    """A watch list (or its template): the exchange header, the header row 4, rows 5 and below
    empty for the user's symbols."""
    cells = [cell("A1", title, style=TITLE), cell("A2", style=EXCHANGE_INFO)]
    book.kind(sheet_name, kind_name, kind_text)
    book.name("ExchangeInfo", book.ref(sheet_name, "$A$2"), sheet_name)
    cells.append(cell("B4", "Symbol", style=HEADER))
    book.name("WatchListSymbol", book.ref(sheet_name, "$B$4"), sheet_name)
    cells.append(cell("C4", "Name", style=HEADER))
    book.name("WatchlistSecurityName", book.ref(sheet_name, "$C$4"), sheet_name)
    for i, (caption, _) in enumerate(WATCH_CAPTIONS):
        cells.append(cell(COLUMNS[3 + i] + "4", caption, style=HEADER))
    book.name("WatchlistAttribHeader", book.ref(sheet_name, "$D$4:$G$4"), sheet_name)
    for i, (name, caption) in enumerate(LINK_COLUMNS):
        col = COLUMNS[7 + i]
        cells.append(cell(col + "4", caption, style=HEADER))
        book.name(name, book.ref(sheet_name, absolute(col + "4")), sheet_name)
    cells.append(cell("K4", "Alert", style=HEADER))
    book.name("WatchlistAlert", book.ref(sheet_name, "$K$4"), sheet_name)
    cells.append(cell("L4", "Alert ID", style=HEADER))
    book.name("WatchlistAlertID", book.ref(sheet_name, "$L$4"), sheet_name)
    return book.add({"name": sheet_name, "selection": "$B$5", "activeCell": "B5", "cells": cells})


def top_list(book, sheet_name, kind_name, symbol_name):
    """A ranked list: B1 the exchange shown (the one cell a user may change), rows 5 to 54
    carrying their formulas before any symbol arrives."""
    cells = [cell("A1", "Exchange:", style=LABEL),
             cell("B1", "NYSE", style=dict(LABEL, locked=False, fontColor=NAVY, fontColorIndex=None)),
             cell("A2", style=EXCHANGE_INFO)]
    book.kind(sheet_name, kind_name, sheet_name)
    book.name("ExchangeInfo", book.ref(sheet_name, "$A$2"), sheet_name)
    cells.append(cell("B4", "Symbol", style=HEADER))
    book.name(symbol_name, book.ref(sheet_name, "$B$4"), sheet_name)
    cells.append(cell("C4", "Name", style=HEADER))
    book.name("WatchlistSecurityName", book.ref(sheet_name, "$C$4"), sheet_name)
    for i, (caption, _) in enumerate(WATCH_CAPTIONS):
        cells.append(cell(COLUMNS[3 + i] + "4", caption, style=HEADER))
    attrib = symbol_name.replace("Symbol", "AttribHeader")
    book.name(attrib, book.ref(sheet_name, "$D$4:$G$4"), sheet_name)
    for i, (name, caption) in enumerate(LINK_COLUMNS):
        col = COLUMNS[7 + i]
        cells.append(cell(col + "4", caption, style=HEADER))
        book.name(name, book.ref(sheet_name, absolute(col + "4")), sheet_name)
    for row in TOP_LIST_ROWS:
        cells.append(cell("C%d" % row, formula="=KavexName(B%d)" % row, style=BODY))
        for i, (_, function) in enumerate(WATCH_CAPTIONS):
            cells.append(cell("%s%d" % (COLUMNS[3 + i], row),
                              formula="=%s(B%d)" % (function, row), style=BODY))
    return book.add({"name": sheet_name, "protected": True, "password": PASSWORD,
                     "selection": "$B$1", "activeCell": "B1", "cells": cells})


DETAILS_STOCK = [
    ("Name", "KavexName"), ("Last Trade Price", "KavexLast"), ("Last Trade Time", "KavexTime"),
    ("Change in Price ($)", "KavexChange"), ("Change in Price (%)", "KavexChPerc"),
    ("Open Price", "KavexOpen"), ("Previous Day Close", "KavexPrClose"),
    ("Day Hi", "KavexDayHi"), ("Day Lo", "KavexDayLo"), ("Volume", "KavexCuVol"),
    ("Bid Price", "KavexBidPr"), ("Bid Size", "KavexBidSz"), ("Ask Price", "KavexAskPr"),
    ("Ask Size", "KavexAskSz"), ("52-Week High", "KavexYearHi"), ("52-Week Low", "KavexYearLo"),
    ("Market Cap (in Millions)", "KavexMktCap"), ("P/E Ratio", "KavexPrEarn"),
    ("Earnings/Share", "KavexEarnShr"), ("Dividend/Share", "KavexDivAmt"),
    ("Dividend Pay Date", "KavexDivDate"), ("Shares Outstanding", "KavexShrsOut"),
    ("8-Day Moving Avg", "KavexEma08"), ("30-Day Moving Avg", "KavexEma30"),
]
DETAILS_OPTION = [
    ("Base Symbol", "KavexOptionsBaseSymbol"), ("Expiration Date", "KavexOptionsExpDate"),
    ("Strike Price", "KavexOptionsStrike"), ("Put/Call", "KavexOptionsPutCall"),
    ("Last Trade Price", "KavexLast"), ("Change in Price ($)", "KavexChange"),
    ("Change in Price (%)", "KavexChPerc"), ("Bid Price", "KavexBidPr"),
    ("Ask Price", "KavexAskPr"), ("Open Interest", "KavexOpenInt"),
]


def details(book):
    sheet_name = "Details"
    cells = [cell("A1", "Symbol Details", style=TITLE), cell("A2", style=EXCHANGE_INFO),
             cell("A4", "Symbol", style=HEADER), cell("A5", style=LABEL)]
    book.kind(sheet_name, "WSName_Details", "Details")
    book.name("ExchangeInfo", book.ref(sheet_name, "$A$2"), sheet_name)
    book.name("DetailsSymbol", "=Details!$A$5")
    for i, (name, caption) in enumerate(LINK_COLUMNS):
        col = COLUMNS[1 + i]
        cells.append(cell(col + "4", caption, style=HEADER))
        # The link cell carries its word on the header fill: the add-in's white bold link text
        # would be invisible on an empty, unfilled cell.
        cells.append(cell(col + "5", caption, style=HEADER))
        book.name(name, book.ref(sheet_name, absolute(col + "5")), sheet_name)
    assert len(DETAILS_STOCK) == 24 and len(DETAILS_OPTION) == 10
    for offset, (caption, function) in enumerate(DETAILS_STOCK + DETAILS_OPTION):
        row = 7 + offset
        cells.append(cell("A%d" % row, caption, style=LABEL))
        cells.append(cell("B%d" % row, formula="=%s($A$5)" % function, style=BODY))
    book.name("SymbolAttributes", "=Details!$A$7:$B$30", sheet_name)
    book.name("OptionAttributes", "=Details!$A$31:$B$40", sheet_name)
    return book.add({"name": sheet_name, "protected": True, "password": PASSWORD,
                     "hiddenRows": list(range(31, 41)), "cells": cells})


EXCHANGE_STATS = [
    ("Exchange", "KavexEXCGName"), ("Last Value", "KavexEXCGLast"),
    ("Change", "KavexEXCGChange"), ("Change (%)", "KavexEXCGChPerc"),
    ("Last Trade Time", "KavexEXCGTime"), ("Open", "KavexEXCGOpen"),
    ("Previous Close", "KavexEXCGPrClose"), ("Day's Range", "KavexEXCGDayRange"),
    ("52-Week Range", "KavexEXCGFTRange"), ("Volume", "KavexEXCGCuVol"),
    ("Average Volume (20 days)", "KavexEXCGVolAvg20"), ("Advancing Issues", "KavexEXCGAdvIssue"),
    ("Declining Issues", "KavexEXCGDecIssue"), ("New Highs", "KavexEXCGNewHigh"),
    ("New Lows", "KavexEXCGNewLow"), ("Data as of", "KavexEXCGDataASOF"),
]


def exchange_stats(book):
    sheet_name = "Exchange Stats"
    chosen = dict(LABEL, interiorColor=PALE, interiorColorIndex=None)
    link = dict(BODY, fontColor=rgb(0, 0, 255), fontColorIndex=None)
    cells = [cell("A1", "Exchange Statistics", style=TITLE), cell("A2", style=EXCHANGE_INFO),
             cell("A4", "NYSE", style=chosen), cell("B4", "NASDAQ", style=link),
             cell("C4", "AMEX", style=link)]
    book.kind(sheet_name, "WS_ExchangeStats", "Exchange Stats")
    book.name("ExchangeInfo", book.ref(sheet_name, "$A$2"), sheet_name)
    for name, col in (("NYSELink", "A"), ("NSDQLink", "B"), ("AMEXLink", "C")):
        book.name(name, book.ref(sheet_name, "$%s$4" % col), sheet_name)
    for offset, (caption, function) in enumerate(EXCHANGE_STATS):
        row = 6 + offset
        cells.append(cell("A%d" % row, caption, style=LABEL))
        cells.append(cell("B%d" % row, formula='=%s("NYSE")' % function, style=BODY))
    links = [{"ref": "B4", "address": "", "subAddress": "NSDQLink"},
             {"ref": "C4", "address": "", "subAddress": "AMEXLink"}]
    return book.add({"name": sheet_name, "protected": True, "password": PASSWORD,
                     "cells": cells, "hyperlinks": links})


PORTFOLIO_HEADER = [
    ("A5", "PortfolioTransactionID", "ID"), ("B5", "PortfolioSymbol", "Symbol"),
    ("C5", "WatchlistSecurityName", "Name"),
    ("D5", "PortfolioTransactionTypeDescription", "Type"), ("E5", "PortfolioPosition", "Position"),
    ("F5", "PortfolioTransactionDate", "Date"), ("G5", "PortfolioNoofShares", "Shares"),
    ("H5", "PortfolioPrice", "Price"), ("I5", "PortfolioCommission", "Commission"),
    ("J5", None, "Last Trade Price"), ("K5", None, "Change in Price (%)"),
    ("L5", "PortfolioGainLossDollar", "Gain/Loss ($)"),
    ("M5", "PortfolioGainLossPercentage", "Gain/Loss (%)"), ("N5", "PortfolioRemarks", "Remarks"),
    ("O5", "NewsLink", "News"), ("P5", "ChartsLink", "Charts"), ("Q5", "OptionsLink", "Options"),
    ("R5", "PortFolioAlert", "Alert"), ("S5", "PortfolioAlertID", "Alert ID"),
]


def portfolio(book, sheet_name, kind_name, kind_text, title):
    cells = [cell("A1", title, style=TITLE), cell("A2", style=EXCHANGE_INFO),
             cell("B3", "Cash Position", style=LABEL), cell("C3", 0, style=BODY)]
    book.kind(sheet_name, kind_name, kind_text)
    book.name("ExchangeInfo", book.ref(sheet_name, "$A$2"), sheet_name)
    book.name("PortfolioCashPosition", book.ref(sheet_name, "$C$3"), sheet_name)
    for ref, name, caption in PORTFOLIO_HEADER:
        cells.append(cell(ref, caption, style=HEADER))
        if name:
            book.name(name, book.ref(sheet_name, absolute(ref)), sheet_name)
    book.name("WatchlistAttribHeader", book.ref(sheet_name, "$J$5:$K$5"), sheet_name)
    return book.add({"name": sheet_name, "selection": "$B$6", "activeCell": "B6", "cells": cells})


HISTORY_HEADER = [
    ("A4", "PortfolioHistoryID", "ID"), ("B4", "PortfolioHistorySymbol", "Symbol"),
    ("C4", None, "Type"), ("D4", "PortfolioHistoryTransactionDate", "Date"),
    ("E4", None, "Shares"), ("F4", None, "Price"), ("G4", None, "Commission"),
    ("H4", None, "Amount"), ("I4", None, "Remarks"), ("J4", None, ""),
]


def portfolio_history(book, sheet_name, kind_name, kind_text, title):
    cells = [cell("A1", title, style=TITLE), cell("A2", style=EXCHANGE_INFO)]
    book.kind(sheet_name, kind_name, kind_text)
    book.name("ExchangeInfo", book.ref(sheet_name, "$A$2"), sheet_name)
    for ref, name, caption in HISTORY_HEADER:
        cells.append(cell(ref, caption if caption else None, style=HEADER))
        if name:
            book.name(name, book.ref(sheet_name, absolute(ref)), sheet_name)
    return book.add({"name": sheet_name, "selection": "$B$6", "activeCell": "B6", "cells": cells})


def kavex_book():
    book = Book()
    watch_list(book, "Watch List", "WSName_Watchlist", "Watch List", "Kavex Watch List")
    top_list(book, "Price Gainers", "WSName_PriceGainers", "PriceGainersSymbol")
    top_list(book, "Price Losers", "WSName_PriceLosers", "PriceLosersSymbol")
    top_list(book, "Vol Leaders", "WSName_VolLeaders", "VolLeadersSymbol")
    details(book)
    exchange_stats(book)
    portfolio(book, "Portfolio", "WSName_Portfolio", "Portfolio", "Kavex Portfolio")
    portfolio_history(book, "Portfolio History", "WSName_PortfolioHistory", "Portfolio History",
                      "Portfolio History")
    watch_list(book, "WatchListTemplate", "WSName_WatchlistTemplate", "WatchListTemplate",
               "Kavex Watch List")
    portfolio(book, "PortfolioTemplate", "WSName_PortfolioTemplate", "PortfolioTemplate",
              "Kavex Portfolio")
    portfolio_history(book, "Portfolio HistoryTemplate", "WSName_PortfolioHistoryTemplate",
                      "Portfolio HistoryTemplate", "Portfolio History")
    book.add({"name": "KavexInfo", "cells": [
        cell("A1", "Kavex version", style=LABEL), cell("B1", VERSION, style=BODY)]})
    book.name("KavexVersion", "=KavexInfo!$B$1", "KavexInfo")
    return {"kavexWorkbook": 1, "activeSheet": "Watch List",
            "vbProject": {"name": "VBAProject", "references": []},
            "names": book.names, "sheets": book.sheets}


def kavex_xla():
    return {"kavexWorkbook": 1, "isAddin": True,
            "vbProject": {"name": "kavexservice", "references": [], "macros": ["ShowForms"]},
            "sheets": [{"name": "Sheet1", "cells": []}]}


def dumps(value, indent=""):
    """Pretty JSON with one line per cell, name or link, so that a diff shows what moved."""
    inner = indent + "  "
    if isinstance(value, dict) and any(isinstance(v, (dict, list)) and v for v in value.values()) \
            and "ref" not in value and "refersTo" not in value:
        items = [inner + json.dumps(k) + ": " + dumps(v, inner) for k, v in value.items()]
        return "{\n" + ",\n".join(items) + "\n" + indent + "}"
    if isinstance(value, list) and value and isinstance(value[0], dict):
        items = [inner + dumps(v, inner) for v in value]
        return "[\n" + ",\n".join(items) + "\n" + indent + "]"
    return json.dumps(value, ensure_ascii=False)


def write(name, document):
    OUT.mkdir(parents=True, exist_ok=True)
    (OUT / name).write_text(dumps(document) + "\n", encoding="utf-8")


if __name__ == "__main__":
    write("Kavex.xla", kavex_xla())
    write("KavexBook.xls", kavex_book())
