// Filters the index's family tables and A to Z list as one types; works from file:// with no server.
// Every entry carries data-name; an entry that does not match gets the hidden attribute, and a family
// section left with no matching row is hidden whole. index.html?q=word fills the box on load.
(function () {
    var box = document.getElementById("search");
    var count = document.getElementById("search-count");
    var none = document.getElementById("search-none");
    function apply() {
        var words = box.value.toLowerCase().split(/\s+/).filter(function (w) { return w !== ""; });
        var entries = document.querySelectorAll("[data-name]");
        for (var i = 0; i < entries.length; i++) {
            var name = entries[i].getAttribute("data-name").toLowerCase();
            var match = words.every(function (w) { return name.indexOf(w) >= 0; });
            if (match) entries[i].removeAttribute("hidden"); else entries[i].setAttribute("hidden", "");
        }
        var sections = document.querySelectorAll("section.family");
        for (var j = 0; j < sections.length; j++) {
            var any = sections[j].querySelector("tr[data-name]:not([hidden])");
            if (any) sections[j].removeAttribute("hidden"); else sections[j].setAttribute("hidden", "");
        }
        var all = document.querySelectorAll("#a-z li[data-name]");
        var shown = document.querySelectorAll("#a-z li[data-name]:not([hidden])");
        count.textContent = words.length ? shown.length + " of " + all.length + " rows match" : all.length + " rows";
        if (shown.length) none.setAttribute("hidden", ""); else none.removeAttribute("hidden");
    }
    var query = new URLSearchParams(window.location.search).get("q");
    if (query) box.value = query;
    box.addEventListener("input", apply);
    apply();
})();
