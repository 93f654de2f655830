#pragma once

#include <QString>

// The program's numbered texts. Texts are held as Unicode; callers that need
// single-byte text convert with ToCp1252.
enum StringId : unsigned {
    IDS_INDEX_FILE_HEADER = 1,
    IDS_QUIT_QUESTION = 100,
    IDS_INDEX_FILE_ERROR = 200,
    IDS_REPORT_FILE_ERROR = 201,
    IDS_OPEN_FAILED = 202,
    IDS_NOT_A_DOCUMENT = 203,
    IDS_SAVE_FAILED = 204,
    IDS_BAD_DATE = 205,
    // The update of the index table from INSEE's published series.
    IDS_INSEE_NO_NETWORK = 220,
    IDS_INSEE_HOST_NOT_FOUND = 221,
    IDS_INSEE_CONNECTION_REFUSED = 222,
    IDS_INSEE_TIMEOUT = 223,
    IDS_INSEE_HTTP_STATUS = 224,
    IDS_INSEE_TOO_LARGE = 225,
    IDS_INSEE_ADDRESS_REFUSED = 226,
    IDS_INSEE_REDIRECT_REFUSED = 227,
    IDS_INSEE_FAILED = 228,
    IDS_INSEE_NOT_FORMAT = 229,
    IDS_INSEE_WRONG_SERIES = 230,
    IDS_INSEE_DUPLICATE_QUARTER = 231,
    IDS_INSEE_NO_VALUE = 232,
    IDS_INSEE_CONFIRM_DIFFERING = 233,
    IDS_INSEE_DONE = 234,
    IDS_INSEE_UP_TO_DATE = 235,
    IDS_INSEE_UNREADABLE = 236,
    IDS_INSEE_OWN_TABLE = 237,
    IDS_INSEE_UNKNOWN_SERIES = 238,
    IDS_INSEE_KEPT_DIFFERING = 239,
    IDS_NO_REFERENCE_INDEX = 400,
    IDS_NO_RENT = 401,
    IDS_START_AFTER_END = 403,
    IDS_ZERO_INDEX = 404,
    IDS_START_IN_FIRST_QUARTER_1970 = 405,
    IDS_APP_TITLE = 57344,
    // Texts of the dialog framework.
    IDS_UNNAMED_FILE = 61446,
    IDS_PARSE_INT_RANGE = 61706,
    IDS_PARSE_STRING_SIZE = 61708,
    IDS_PARSE_UINT = 61711,
    IDS_DISK_FULL = 61869,
    IDS_END_OF_FILE = 61875,
};

// The text of entry `id`, or an empty text for an unknown number.
QString LoadString(unsigned id);

// The fixed text shown by the date checks of the data dialog.
QString DateInvalidText();
