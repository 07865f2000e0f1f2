#pragma once
// Web pages for measuring the page link rewriting.
#include <cstddef>
#include <string>

// A news site's front page of about `size` bytes: stylesheets, inline style and script,
// navigation, article teasers with images and links, an embedded player, a footer;
// UTF-8 text in Japanese and English.
std::string realisticPage(size_t size);

// `size` bytes that make a naive rewriter search the rest of the page for an "=" at every
// attribute name: one anchor tag full of "src" names, its only "=" at the very end.
std::string hostilePage(size_t size);
