-- The tables of a fresh Kavex.mdb. Every text column compares without regard to case, as the
-- original Jet database did: a symbol typed "msft" finds the row "MSFT". Dates are DATETIME
-- columns holding 'YYYY-MM-DD HH:MM:SS' (see docs/database.md).

-- The add-in's configuration: one row per key, loaded into globals at login.
CREATE TABLE ConfigSettings (
    ConfigKey   TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    ConfigValue TEXT COLLATE NOCASE,
    Remarks     TEXT COLLATE NOCASE
);

-- The quote cache: one row per symbol. SymbolData holds the quote service's Stock element as
-- XML. A row without LastCheckDate is due, so the next fetch that covers the symbol fills it.
CREATE TABLE AQ_StockSymbolData (
    Symbol        TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    SymbolData    TEXT COLLATE NOCASE,
    LastCheckDate DATETIME,
    LastFetchDate DATETIME
);

-- The local list of known symbols, kept up to date from the web service.
CREATE TABLE AQ_StockSymbolList (
    Symbol      TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    Description TEXT COLLATE NOCASE,
    Exchange    TEXT COLLATE NOCASE,
    OldSymbol   TEXT COLLATE NOCASE
);

-- The exchange statistics cache: one row per exchange code ("NSDQ", "NYSE", "AMEX"; the AMEX row
-- holds the S&P 500 index). ExchangeData is the index's Stock element with the market-breadth
-- elements appended.
CREATE TABLE AQ_StockExchangeData (
    Exchange      TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    ExchangeData  TEXT COLLATE NOCASE,
    LastCheckDate DATETIME,
    LastFetchDate DATETIME
);

-- The ranked lists of the top-list sheets ("PRICE_GAINERS", "PRICE_LOSERS", "VOL_LEADERS"),
-- replaced per template code and exchange by each fetch.
CREATE TABLE AQ_TemplateLists (
    TemplateCode TEXT COLLATE NOCASE NOT NULL,
    Exchange     TEXT COLLATE NOCASE NOT NULL,
    DisplayOrder INTEGER NOT NULL,
    Symbol       TEXT COLLATE NOCASE NOT NULL,
    PRIMARY KEY (TemplateCode, Exchange, DisplayOrder)
);

-- When each ranked list was last checked and last fetched.
CREATE TABLE AQ_TemplateListsUpdateDates (
    TemplateCode  TEXT COLLATE NOCASE NOT NULL,
    Exchange      TEXT COLLATE NOCASE NOT NULL,
    LastCheckDate DATETIME,
    LastFetchDate DATETIME,
    PRIMARY KEY (TemplateCode, Exchange)
);

-- The user's price alerts, kept in step with the web service. The flags are '1' (on) or '0'.
CREATE TABLE AQ_Alert (
    AlertID            TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    Symbol             TEXT COLLATE NOCASE NOT NULL,
    NotifyVisuallyFlag TEXT COLLATE NOCASE NOT NULL DEFAULT '0',
    NotifyEmailFlag    TEXT COLLATE NOCASE NOT NULL DEFAULT '0',
    NotifySMSFlag      TEXT COLLATE NOCASE NOT NULL DEFAULT '0'
);
