#pragma once
// The sub-commands of quillmere-platform. Each takes the arguments after its name, writes its
// result to out and a one-line message to err, and returns the exit status (0 success, 1 failure,
// 2 bad usage).

#include <ostream>
#include <string>
#include <vector>

using CommandFunction = int (*)(const std::vector<std::string> &args, std::ostream &out,
                                std::ostream &err);

int RegCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int ZoneCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int SitesCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int CanonicalizeCommand(const std::vector<std::string> &args, std::ostream &out,
                        std::ostream &err);
int OfflineCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int VersionCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
