#include "server/page/page_defaults.h"

const char kDefaultHeader[] = "<body body bgcolor=\"#FFFFFF\" text=\"#000000\">\r\n"
                              "<font color=\"#000000\" face=\"Arial\"><b>\r\n"
                              "<p align=\"center\">KVT In/Out Log</b><br>\r\n"
                              "</p><div align=\"center\"><center>";

const char kDefaultFooter[] = "</center></div></font>";
