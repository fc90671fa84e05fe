#include "suite/config/document.h"

#include <gtest/gtest.h>

#include <boost/archive/archive_exception.hpp>

#include <sstream>
#include <string>

#include "suite/config/products_impl.h"
#include "suite/config/suite_impl.h"
#include "tests/suite/config/sample_documents.h"

namespace {

using config::products_impl;
using config::suite_impl;

template <class Record>
Record read_text(const std::string& document) {
    std::istringstream text(document);
    config::document_reader reader(text);
    Record record;
    reader.read(record);
    return record;
}

products_impl two_products() {
    products_impl products;
    products.m_products.push_back({L"PELLANE", L"Suite", L"C:\\Program Files\\Corvane\\"});
    products.m_products.push_back(
        {L"TVPRO", L"Tarvello", L"C:\\Program Files\\Corvane\\Tarvello\\"});
    return products;
}

TEST(ConfigDocument, TwoProductsAreWrittenAsTheSuiteWritesThem) {
    EXPECT_EQ(sample::two_products_document(), config::write_document(two_products(), "products"));
}

TEST(ConfigDocument, ProductsReadBackInFileOrder) {
    auto products = read_text<products_impl>(sample::two_products_document());
    ASSERT_EQ(2u, products.m_products.size());
    EXPECT_EQ(L"PELLANE", products.m_products[0].m_product_id);
    EXPECT_EQ(L"Suite", products.m_products[0].m_product_name);
    EXPECT_EQ(L"C:\\Program Files\\Corvane\\", products.m_products[0].m_product_path);
    EXPECT_EQ(L"TVPRO", products.m_products[1].m_product_id);
    EXPECT_EQ(L"Tarvello", products.m_products[1].m_product_name);
    EXPECT_EQ(L"C:\\Program Files\\Corvane\\Tarvello\\", products.m_products[1].m_product_path);
}

TEST(ConfigDocument, AnEmptyListHasNoItemsAndReadsBackEmpty) {
    std::string document = config::write_document(products_impl{}, "products");
    EXPECT_EQ(sample::empty_products_document(), document);
    products_impl products = two_products();
    std::istringstream text(document);
    config::document_reader(text).read(products);
    EXPECT_TRUE(products.m_products.empty());
}

TEST(ConfigDocument, ReservedAndUpperHalfCharactersTakeOneByteEach) {
    products_impl products;
    products.m_products.push_back({L"A<B>&'\"", std::wstring(L"Caf\u00e9 \u00ff\u0080", 7), L""});
    std::string document = config::write_document(products, "products");
    EXPECT_NE(std::string::npos,
              document.find("<m_product_id>A&lt;B&gt;&amp;&apos;&quot;</m_product_id>"));
    EXPECT_NE(std::string::npos,
              document.find("<m_product_name>Caf\xe9 \xff\x80</m_product_name>"));

    auto back = read_text<products_impl>(document);
    ASSERT_EQ(1u, back.m_products.size());
    EXPECT_EQ(products.m_products[0].m_product_id, back.m_products[0].m_product_id);
    EXPECT_EQ(products.m_products[0].m_product_name, back.m_products[0].m_product_name);
}

TEST(ConfigDocument, ACharacterWithoutAByteIsRefusedNotAltered) {
    products_impl products;
    products.m_products.push_back({L"TVPRO", L"Tarvello \u0141", L""});
    EXPECT_THROW(config::write_document(products, "products"), std::exception);
}

TEST(ConfigDocument, TheRootElementMayHaveAnyName) {
    std::string document = sample::two_products_document();
    document.replace(document.find("<products "), 9, "<whatever");
    document.replace(document.find("</products>"), 11, "</whatever>");
    EXPECT_EQ(2u, read_text<products_impl>(document).m_products.size());
}

TEST(ConfigDocument, AnyWhitespaceMayStandBetweenElements) {
    std::string document = sample::two_products_document();
    std::string loose;
    for (char c : document) {
        loose += c == '\t'   ? std::string("  ")
                 : c == '\n' ? std::string("\r\n")
                             : std::string(1, c);
    }
    EXPECT_EQ(2u, read_text<products_impl>(loose).m_products.size());
}

TEST(ConfigDocument, AMalformedBodyFailsAndLeavesTheRecordAlone) {
    std::string renamed = sample::two_products_document();
    renamed.replace(renamed.find("m_product_name>Tarvello</m_product_name"), 38,
                    "m_product_nome>Tarvello</m_product_nome");
    std::string reordered = sample::two_products_document();
    reordered.replace(reordered.find("<count>2</count>"), 16, "<item_version>0</item_version>");
    std::string bad_number = sample::two_products_document();
    bad_number.replace(bad_number.find("<count>2</count>"), 16, "<count>two</count>");
    std::string truncated = sample::two_products_document();
    truncated.resize(truncated.find("<m_product_path>C:\\Program Files\\Corvane\\Tarvello"));

    for (const std::string& document : {renamed, reordered, bad_number, truncated}) {
        std::istringstream text(document);
        config::document_reader reader(text);  // the header itself is fine
        products_impl products = two_products();
        products.m_products.pop_back();
        EXPECT_THROW(reader.read(products), std::exception) << document;
        ASSERT_EQ(1u, products.m_products.size());
        EXPECT_EQ(L"PELLANE", products.m_products[0].m_product_id);
    }
}

// The library makes room for every item before it reads one, so a damaged count
// would cost gigabytes (or end the process) unless it is refused up front.
TEST(ConfigDocument, ACountTheDocumentCannotHoldIsRefusedBeforeAnyItem) {
    std::string products = sample::two_products_document();
    products.replace(products.find("<count>2</count>"), 16, "<count>40000000</count>");
    std::string urls = sample::suite_document(4);
    urls.replace(urls.find("<count>2</count>"), 16, "<count>3000000000</count>");

    try {
        read_text<products_impl>(products);
        ADD_FAILURE() << "a count of 40000000 was read";
    } catch (const boost::archive::archive_exception& failure) {
        EXPECT_EQ(boost::archive::archive_exception::array_size_too_short, failure.code);
    }
    EXPECT_THROW(read_text<suite_impl>(urls), boost::archive::archive_exception);

    // A count that fits the document is read as before, up to the missing item.
    std::string short_of_items = sample::two_products_document();
    short_of_items.replace(short_of_items.find("<count>2</count>"), 16, "<count>3</count>");
    EXPECT_THROW(read_text<products_impl>(short_of_items), std::exception);
}

// An item costs far more memory than the shortest text it can have, which is an
// empty text in a start tag of any one-letter name and the end tag "</item>". A
// count above what the rest of the document holds in such items is refused before
// the library makes them; one it holds is read.
TEST(ConfigDocument, ACountIsBoundByTheShortestTextOfAnItem) {
    suite_impl empty_urls;
    empty_urls.m_login_urls.assign(1000, L"");
    std::string shortest = config::write_document(empty_urls, "suite");
    for (std::string::size_type at;
         (at = shortest.find("\n\t\t\t<item></item>")) != std::string::npos;)
        shortest.replace(at, 17, "<i></item>");
    EXPECT_EQ(1000u, read_text<suite_impl>(shortest).m_login_urls.size());

    std::string products = sample::two_products_document();
    products.replace(products.find("<count>2</count>"), 16,
                     "<count>" + std::to_string(products.size() / 2) + "</count>");
    try {
        read_text<products_impl>(products);
        ADD_FAILURE() << "a count of half the document's size was read";
    } catch (const boost::archive::archive_exception& failure) {
        EXPECT_EQ(boost::archive::archive_exception::array_size_too_short, failure.code);
    }
}

TEST(ConfigDocument, TheHeaderIsCheckedBeforeTheBody) {
    std::string foreign = sample::two_products_document();
    foreign.replace(foreign.find("serialization::archive"), 22, "something::else");
    std::string longer = sample::two_products_document();
    longer.replace(longer.find("serialization::archive"), 22,
                   "serialization::archive::and::then::some::more");
    std::string shorter = sample::two_products_document();
    shorter.replace(shorter.find("serialization::archive"), 22, "serialization");
    std::string too_new = sample::two_products_document();
    too_new.replace(too_new.find("version=\"8\""), 11, "version=\"99\"");
    std::string no_version = sample::two_products_document();
    no_version.replace(no_version.find(" version=\"8\""), 12, "");

    for (const std::string& document :
         {foreign, longer, shorter, too_new, no_version, std::string("<?xml"), std::string()}) {
        std::istringstream text(document);
        EXPECT_THROW(config::document_reader reader(text), std::exception) << document;
    }
}

TEST(ConfigDocument, ADocumentCutAfterTheRecordStillReads) {
    std::string document = sample::two_products_document();
    document.resize(document.find("</boost_serialization>"));
    {
        std::istringstream text(document);
        config::document_reader reader(text);
        products_impl products;
        reader.read(products);
        EXPECT_EQ(2u, products.m_products.size());
    }  // and going away with the closing line missing is no failure either
}

TEST(ConfigDocument, SuiteSettingsRoundTripAtTheCurrentVersion) {
    const std::string document = sample::suite_document(4);
    suite_impl suite = read_text<suite_impl>(document);
    EXPECT_EQ(4u, suite.m_loaded_version);
    EXPECT_EQ(L"jane.doe", suite.m_user_name);
    EXPECT_EQ(L"example.org", suite.m_user_site);
    EXPECT_EQ(-7, suite.m_login_success);
    EXPECT_EQ(1234567890123LL, suite.m_last_synchronize_time);
    ASSERT_EQ(2u, suite.m_login_urls.size());
    EXPECT_EQ(L"https://login.example/b?x=1&y=2", suite.m_login_urls[1]);
    ASSERT_EQ(1u, suite.m_update_paths.size());
    EXPECT_EQ(L"tray", suite.m_update_paths[0].m_code);
    EXPECT_EQ(2, suite.m_update_paths[0].m_update_type);
    EXPECT_TRUE(suite.m_proxy.m_proxy_enabled);
    EXPECT_EQ(8080, suite.m_proxy.m_proxy_port);
    EXPECT_EQ("a=1", suite.m_parameters);
    EXPECT_EQ("b=2", suite.m_login_parameters);
    EXPECT_TRUE(suite.m_used_flag);

    EXPECT_EQ(document, config::write_document(suite, "suite"));
}

TEST(ConfigDocument, SuiteSettingsOfVersion2LackTheTwoLaterFields) {
    suite_impl suite = read_text<suite_impl>(sample::suite_document(2));
    EXPECT_EQ(2u, suite.m_loaded_version);
    EXPECT_EQ(L"jane.doe", suite.m_user_name);
    EXPECT_EQ(L"Pellane", suite.m_suite_name);
    EXPECT_EQ("a=1", suite.m_parameters);
    EXPECT_EQ("", suite.m_login_parameters);
    EXPECT_FALSE(suite.m_used_flag);
    EXPECT_EQ(8080, suite.m_proxy.m_proxy_port);
}

TEST(ConfigDocument, SuiteSettingsOfVersion0AreNamedSuite) {
    suite_impl suite = read_text<suite_impl>(sample::suite_document(0));
    EXPECT_EQ(0u, suite.m_loaded_version);
    EXPECT_EQ(L"Suite", suite.m_suite_name);
    EXPECT_EQ(L"example.org", suite.m_user_site);
    EXPECT_EQ(L"C:\\Corvane\\Launcher.exe", suite.m_suite_launcher_path);
}

TEST(ConfigDocument, SuiteSettingsNewerThanThisToolAreRefused) {
    std::string document = sample::suite_document(4);
    document.replace(document.find("version=\"4\""), 11, "version=\"5\"");
    std::istringstream text(document);
    config::document_reader reader(text);
    suite_impl suite;
    EXPECT_THROW(reader.read(suite), std::exception);
}

}  // namespace
