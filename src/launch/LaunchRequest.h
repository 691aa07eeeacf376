#pragma once

#include <QString>

// What the launcher reads of the loaded object (type_ServerParametrs2, as loaded
// when the node was selected; unsaved edits do not count).
struct LaunchRequest {
    int typeNode = 0; // 0 server, 1 folder, 2 site
    int idTreeTable = 0;
    QString domainName;      // DOMAIN_NAME_SERVERS: DNS name, or the URL of a site
    QString ipAddress;       // IP_ADDRES_SERVERS
    QString port;            // PORT_SERVERS
    QString translation;     // TRANSLATION_SERVERS: PuTTY code page
    int defaultDnsOrIp = 0;  // DEFAUL_DNS_OR_IP_SERVERS: 1 name, 2 address
    int defaultRdpOrSsh = 0; // DEFAUL_RDP_OR_SSH_SERVERS: 1 RDP, 2 SSH, 3 browser
    int userDnsOrIp = 0;     // DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS: 0 none
    int userRdpOrSsh = 0;    // RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS: 0 none
    QString login;           // LOGIN_LOGIN_PASS
    QString password;        // PASS_LOGIN_PASS, in clear
};

// Settings the main window read at creation.
struct LaunchSettings {
    bool copyPassToBufer = false;      // gperCopyPassToBufer
    bool browserByDefaultBool = false; // gperBrowserByDefaultBool
    QString browserByDefaultPath;      // grepBrowserByDefaultPath
};
