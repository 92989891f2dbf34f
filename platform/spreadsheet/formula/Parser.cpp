#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Text.h"
#include "platform/spreadsheet/formula/Builtins.h"
#include "platform/spreadsheet/formula/Formula.h"
#include "platform/spreadsheet/formula/Lexer.h"
#include "platform/spreadsheet/formula/Node.h"
#include "platform/spreadsheet/formula/Text.h"

namespace kavex::formula {

namespace {

// The longest formula text and the deepest nesting (parentheses, calls, signs) accepted. Both keep
// a hostile text from exhausting the stack; real formulas stay far below them.
constexpr std::size_t MaxFormulaLength = 8192;
constexpr int MaxDepth = 100;

int precedence(Operator op) {
    switch (op) {
        case Operator::Equal:
        case Operator::NotEqual:
        case Operator::Less:
        case Operator::Greater:
        case Operator::LessEqual:
        case Operator::GreaterEqual:
            return 1;
        case Operator::Concatenate:
            return 2;
        case Operator::Plus:
        case Operator::Minus:
            return 3;
        case Operator::Multiply:
        case Operator::Divide:
            return 4;
        case Operator::Power:
            return 5;
    }
    return 0;
}

// The index of the name in the list, added when it is not there yet.
std::size_t addUnique(std::vector<std::string>& list, const std::string& name) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (base::equalsIgnoringCase(list[i], name)) {
            return i;
        }
    }
    list.push_back(name);
    return list.size() - 1;
}

class Parser {
  public:
    Parser(std::string_view text, std::vector<Token> tokens)
        : text_(text), tokens_(std::move(tokens)) {}

    Formula run() {
        Node root = expression();
        const Token& rest = current();
        if (rest.kind == TokenKind::RightParen) {
            throw ParseError(rest.position, "\")\" without a matching \"(\"");
        }
        if (rest.kind != TokenKind::End) {
            throw ParseError(rest.position, "Unexpected \"" + spelling(rest) +
                                                "\": an operator or the end of the formula "
                                                "was expected");
        }
        return Formula(std::string(text_), std::make_shared<const Node>(std::move(root)),
                       std::move(references_), std::move(names_), std::move(functionNames_));
    }

  private:
    const Token& current() const { return tokens_[index_]; }
    const Token& advance() { return tokens_[index_++]; }

    std::string spelling(const Token& token) const {
        return std::string(text_.substr(token.position, token.length));
    }

    // Counts one level of nesting for the lifetime of the guard.
    class DepthGuard {
      public:
        DepthGuard(Parser& parser, std::size_t position) : parser_(parser) {
            if (++parser_.depth_ > MaxDepth) {
                throw ParseError(position, "The formula is nested too deeply");
            }
        }
        ~DepthGuard() { --parser_.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

      private:
        Parser& parser_;
    };

    Node expression() { return binary(1); }

    // Operators of the same precedence group to the left (2^3^2 is 64, 8/2/2 is 2).
    Node binary(int minimumPrecedence) {
        Node left = postfix();
        for (;;) {
            const Token& token = current();
            if (token.kind != TokenKind::Operator || precedence(token.op) < minimumPrecedence) {
                return left;
            }
            advance();
            Node node;
            node.kind = NodeKind::Binary;
            node.op = token.op;
            node.position = token.position;
            node.children.reserve(2);
            node.children.push_back(std::move(left));
            node.children.push_back(binary(precedence(token.op) + 1));
            left = std::move(node);
        }
    }

    // The percent sign binds tighter than every binary operator but looser than a sign.
    Node postfix() {
        Node operand = unary();
        while (current().kind == TokenKind::Percent) {
            Node node;
            node.kind = NodeKind::Percent;
            node.position = advance().position;
            node.children.push_back(std::move(operand));
            operand = std::move(node);
        }
        return operand;
    }

    // A sign binds tighter than "^": -2^2 is 4.
    Node unary() {
        const Token& token = current();
        if (token.kind == TokenKind::Operator &&
            (token.op == Operator::Plus || token.op == Operator::Minus)) {
            DepthGuard guard(*this, token.position);
            advance();
            Node node;
            node.kind = NodeKind::Unary;
            node.op = token.op;
            node.position = token.position;
            node.children.push_back(unary());
            return node;
        }
        return primary();
    }

    Node primary() {
        const Token& token = current();
        Node node;
        node.position = token.position;
        switch (token.kind) {
            case TokenKind::Number:
                node.kind = NodeKind::Number;
                node.number = token.number;
                advance();
                return node;
            case TokenKind::Text:
                node.kind = NodeKind::Text;
                node.text = token.text;
                advance();
                return node;
            case TokenKind::Boolean:
                node.kind = NodeKind::Boolean;
                node.boolean = token.boolean;
                advance();
                return node;
            case TokenKind::Error:
                node.kind = NodeKind::Error;
                node.error = token.error;
                advance();
                return node;
            case TokenKind::Reference:
                node.kind = NodeKind::Reference;
                node.area = token.area;
                node.form = token.form;
                references_.push_back(token.area);
                advance();
                return node;
            case TokenKind::Name:
                node.kind = NodeKind::Name;
                node.text = token.text;
                addUnique(names_, token.text);
                advance();
                return node;
            case TokenKind::Function:
                return call();
            case TokenKind::LeftParen:
                return parenthesised();
            case TokenKind::End:
                break;
            default:
                throw ParseError(token.position,
                                 "Unexpected \"" + spelling(token) + "\": a value was expected");
        }
        if (index_ > 0 && tokens_[index_ - 1].kind == TokenKind::Operator) {
            const Token& op = tokens_[index_ - 1];
            throw ParseError(token.position,
                             "The formula ends with the operator \"" + spelling(op) + "\"");
        }
        throw ParseError(token.position, "A value was expected at the end of the formula");
    }

    Node parenthesised() {
        const Token& open = advance();
        DepthGuard guard(*this, open.position);
        Node node;
        node.kind = NodeKind::Paren;
        node.position = open.position;
        node.children.push_back(expression());
        expectClosing(open);
        return node;
    }

    // After the content of a "(" (or of the last argument): ")" must come.
    void expectClosing(const Token& open) {
        const Token& token = current();
        if (token.kind == TokenKind::RightParen) {
            advance();
            return;
        }
        if (token.kind == TokenKind::End) {
            throw ParseError(open.position, "The \"(\" has no matching \")\"");
        }
        throw ParseError(token.position,
                         "Unexpected \"" + spelling(token) + "\": \")\" was expected");
    }

    Node call() {
        const Token& function = advance();
        DepthGuard guard(*this, function.position);
        Node node;
        node.kind = NodeKind::Call;
        node.position = function.position;
        node.text = function.text;
        node.builtin = findBuiltin(function.text);
        node.functionName = addUnique(functionNames_, function.text);
        const std::size_t openPosition = function.position + function.length - 1;
        if (current().kind == TokenKind::RightParen) {
            advance();
        } else {
            for (;;) {
                const Token& start = current();
                if (start.kind == TokenKind::End) {
                    throw ParseError(openPosition,
                                     "The \"(\" of " + function.text + " has no matching \")\"");
                }
                if (start.kind == TokenKind::Comma || start.kind == TokenKind::RightParen) {
                    Node missing;
                    missing.kind = NodeKind::Missing;
                    missing.position = start.position;
                    node.children.push_back(std::move(missing));
                } else {
                    node.children.push_back(expression());
                }
                const Token& separator = current();
                if (separator.kind == TokenKind::Comma) {
                    advance();
                    continue;
                }
                if (separator.kind == TokenKind::RightParen) {
                    advance();
                    break;
                }
                if (separator.kind == TokenKind::End) {
                    throw ParseError(openPosition,
                                     "The \"(\" of " + function.text + " has no matching \")\"");
                }
                throw ParseError(separator.position, "Unexpected \"" + spelling(separator) +
                                                         "\": \",\" or \")\" was expected");
            }
        }
        checkArgumentCount(node, function);
        return node;
    }

    void checkArgumentCount(const Node& node, const Token& function) const {
        if (node.builtin < 0) {
            return;
        }
        const Builtin& builtin = builtins()[static_cast<std::size_t>(node.builtin)];
        const auto count = static_cast<int>(node.children.size());
        if (count < builtin.minArguments) {
            throw ParseError(function.position, std::string(builtin.name) + " needs at least " +
                                                    std::to_string(builtin.minArguments) +
                                                    " argument" +
                                                    (builtin.minArguments == 1 ? "" : "s"));
        }
        if (count > builtin.maxArguments) {
            throw ParseError(function.position, std::string(builtin.name) + " takes at most " +
                                                    std::to_string(builtin.maxArguments) +
                                                    " argument" +
                                                    (builtin.maxArguments == 1 ? "" : "s"));
        }
    }

    std::string_view text_;
    std::vector<Token> tokens_;
    std::size_t index_ = 0;
    int depth_ = 0;
    std::vector<AreaRef> references_;
    std::vector<std::string> names_;
    std::vector<std::string> functionNames_;
};

}  // namespace

Formula parse(std::string_view text) {
    if (text.size() > MaxFormulaLength) {
        throw ParseError(MaxFormulaLength, "The formula is longer than " +
                                               std::to_string(MaxFormulaLength) + " characters");
    }
    auto tokens = tokenize(text);
    if (tokens.front().kind == TokenKind::End) {
        throw ParseError(tokens.front().position, "The formula is empty");
    }
    return Parser(text, std::move(tokens)).run();
}

}  // namespace kavex::formula
