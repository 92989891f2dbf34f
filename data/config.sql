-- The configuration of a fresh Kavex.mdb. Values are text; empty text means "not set yet".
INSERT INTO ConfigSettings (ConfigKey, ConfigValue, Remarks) VALUES
    ('LOG_LEVEL', '0', 'Log file detail: 0 none, 1 errors, 2 details, 3 entry and exit traces'),
    ('DECIMAL_PLACE', '2', 'Decimals shown in prices (0 to 4)'),
    ('AUTOUPDATE_MODE', '0', 'Automatic refresh during market hours: 1 on, 0 off'),
    ('DATA_REFRESH_INTERVAL', '30', 'Seconds between automatic refreshes'),
    ('LAST_LOGIN_DATE', '', 'Date and time of the last login; symbol-list changes are fetched since then (empty: never)'),
    ('TOP_PRICE_GAINERS', '25', 'Rows of the Price Gainers list'),
    ('TOP_PRICE_LOSERS', '25', 'Rows of the Price Losers list'),
    ('TOP_VOL_LEADERS', '25', 'Rows of the Vol Leaders list'),
    ('WEBSITE_URL', 'http://127.0.0.1:8642', 'Base address of the web service'),
    ('DIVSPL_LAST_EFFECTIVE_DATE', '', 'Date up to which dividends and splits have been booked (empty: never)'),
    ('STREAM_EFFECT_TIME', '50', 'Milliseconds of the change flash'),
    ('USER_ID', '', 'Stored account: user id (empty: a first-run account is requested at login)'),
    ('USER_PASSWORD', '', 'Stored account: password'),
    ('SYMBOL_DATA_REFRESH_SECONDS', '15', 'A cached quote younger than this is not fetched again'),
    ('EXCHANGE_DATA_REFRESH_SECONDS', '15', 'Cached exchange statistics younger than this are not fetched again'),
    ('TEMPLATE_LIST_REFRESH_SECONDS', '60', 'A cached top list younger than this is not fetched again');
