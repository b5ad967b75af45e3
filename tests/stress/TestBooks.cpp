#include "tests/stress/TestBooks.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string CorpusFolder()
{
    const char* Folder = std::getenv("BRISLEAF_BOOKS");
    return Folder ? Folder : "";
}

std::vector<TBookRequest> CorpusRequests()
{
    // expected.tsv: book, WIDTHxHEIGHT, settings ("-" for none), answer, entry
    // ("-" for the wide one), tab-separated.
    std::vector<TBookRequest> Requests;
    const std::filesystem::path Folder(CorpusFolder());
    if (Folder.empty())
        return Requests;
    std::ifstream List(Folder / "expected.tsv");
    std::string Line;
    while (std::getline(List, Line)) {
        std::vector<std::string> Fields;
        std::istringstream Columns(Line);
        for (std::string Field; std::getline(Columns, Field, '\t');)
            Fields.push_back(Field);
        if (Fields.size() < 5 || Fields[2] != "-" || Fields[4] != "-")
            continue;
        TBookRequest Request;
        Request.FileName = (Folder / Fields[0]).make_preferred().u16string();
        if (std::sscanf(Fields[1].c_str(), "%dx%d", &Request.Width, &Request.Height) != 2)
            continue;
        Requests.push_back(Request);
    }
    return Requests;
}
